// Speed and size of the PNG encoder's settings against libpng at its defaults:
//   bench_png_settings PACKAGE INDEXFILE [--atlases N] [--photo FILE.png]...
//                      [--filters none,sub,up,average,paeth,perrow] [--levels 1,2,...]
//                      [--named fast,default,best]
// Decodes N atlases of the package (spread evenly over its atlases, all
// when N is absent) and packs the photographs given into one atlas of
// 1024 pixels across, the unused area transparent. Then, back to back on the
// same pixels, encodes every image with libpng's defaults and with each
// filter at each libdeflate level (or only with the --compression settings
// named), and prints for each set of images the
// encoder's throughput (MB of RGBA in per second) and its total PNG bytes
// against libpng's. Sizes are exact; speeds follow the machine's load.
#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <png.h>

#include "texture/PixelRows.h"
#include "png/encodePng.h"
#include "bench/benchPackageAtlases.h"
#include "bench/readBenchInput.h"
#include "bench/writePngWithLibpng.h"

namespace fs = std::filesystem;

namespace {

// An image kept as packed RGBA rows, copied into fresh PixelRows per encoding.
struct Image {
    ImageSize size;
    std::vector<std::uint8_t> rgba;
};

PixelRows rowsOf(const Image& image) {
    PixelRows rows(image.size);
    const std::size_t rowBytes = std::size_t{image.size.width} * 4U;
    for (std::uint32_t y = 0; y < image.size.height; ++y) {
        std::memcpy(rows.row(y), image.rgba.data() + y * rowBytes, rowBytes);
    }
    return rows;
}

Image imageOf(const PixelRows& rows) {
    Image image{rows.size(), {}};
    const std::size_t rowBytes = std::size_t{rows.width()} * 4U;
    image.rgba.resize(rowBytes * rows.height());
    for (std::uint32_t y = 0; y < rows.height(); ++y) {
        std::memcpy(image.rgba.data() + y * rowBytes, rows.row(y), rowBytes);
    }
    return image;
}


// Every atlas the tool would write, in package order.
std::vector<Image> packageAtlases(const std::string& packagePath, const std::string& indexPath) {
    std::vector<Image> images;
    forEachPackageAtlas(readBenchPackage(packagePath, indexPath), [](std::uint32_t) {},
                        [&images](const PacketFileEntry&, PixelRows&& rows) { images.push_back(imageOf(rows)); });
    return images;
}

Image readPhotograph(const std::string& path) {
    const std::vector<std::uint8_t> bytes = readBenchInput(path);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()) == 0) {
        throw std::runtime_error("cannot read the PNG " + path);
    }
    image.format = PNG_FORMAT_RGBA;
    Image photo{{image.width, image.height}, std::vector<std::uint8_t>(PNG_IMAGE_SIZE(image))};
    if (png_image_finish_read(&image, nullptr, photo.rgba.data(), 0, nullptr) == 0) {
        png_image_free(&image);
        throw std::runtime_error("cannot decode the PNG " + path);
    }
    return photo;
}

// The photographs side by side in shelves 1024 pixels across, the height
// rounded up to a power of two, the rest transparent black.
Image photoAtlas(const std::vector<Image>& photos) {
    constexpr std::uint32_t width = 1024;
    struct Place {
        std::uint32_t x, y;
    };
    std::vector<Place> places;
    std::uint32_t x = 0, y = 0, shelf = 0;
    for (const Image& photo : photos) {
        if (photo.size.width > width) {
            throw std::runtime_error("a photograph wider than the atlas");
        }
        if (x + photo.size.width > width) {
            x = 0;
            y += shelf;
            shelf = 0;
        }
        places.push_back({x, y});
        x += photo.size.width;
        shelf = std::max(shelf, photo.size.height);
    }
    const std::uint32_t height = std::bit_ceil(y + shelf);
    Image atlas{{width, height}, std::vector<std::uint8_t>(std::size_t{width} * height * 4U)};
    for (std::size_t i = 0; i < photos.size(); ++i) {
        const Image& photo = photos[i];
        for (std::uint32_t row = 0; row < photo.size.height; ++row) {
            std::memcpy(atlas.rgba.data() + ((std::size_t{places[i].y} + row) * width + places[i].x) * 4U,
                        photo.rgba.data() + std::size_t{row} * photo.size.width * 4U,
                        std::size_t{photo.size.width} * 4U);
        }
    }
    return atlas;
}

struct Measure {
    double seconds = 0;
    std::uint64_t bytes = 0;
};

template <typename Encode>
Measure measure(const std::vector<Image>& images, Encode encode) {
    Measure total;
    for (const Image& image : images) {
        PixelRows rows = rowsOf(image);
        const auto start = std::chrono::steady_clock::now();
        total.bytes += encode(std::move(rows));
        total.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    return total;
}

Measure measureLibpng(const std::vector<Image>& images) {
    return measure(images, [](PixelRows&& rows) {
        std::vector<std::uint8_t> png;
        if (encodePngWithLibpng(rows, png)) {
            throw std::runtime_error("libpng failed");
        }
        return png.size();
    });
}

Measure measureOwn(const std::vector<Image>& images, PngSettings settings) {
    return measure(images, [settings](PixelRows&& rows) { return encodePng(std::move(rows), settings).size(); });
}

std::uint64_t rgbaBytes(const std::vector<Image>& images) {
    std::uint64_t sum = 0;
    for (const Image& image : images) {
        sum += image.rgba.size();
    }
    return sum;
}

std::vector<std::string> splitList(const std::string& text) {
    std::vector<std::string> items;
    std::stringstream stream(text);
    for (std::string item; std::getline(stream, item, ',');) {
        items.push_back(item);
    }
    return items;
}

const char* filterName(PngFilter filter) {
    constexpr const char* names[] = {"none", "sub", "up", "average", "paeth", "perrow"};
    return names[static_cast<std::size_t>(filter)];
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: %s PACKAGE INDEXFILE [--atlases N] [--photo FILE.png]... [--filters LIST] [--levels LIST] "
                     "[--named LIST]\n",
                     argv[0]);
        return 2;
    }
    std::size_t atlasCount = 0;
    std::vector<std::string> photoPaths;
    std::vector<PngFilter> filters = {PngFilter::none,    PngFilter::sub,   PngFilter::up,
                                      PngFilter::average, PngFilter::paeth, PngFilter::perRow};
    std::vector<int> levels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    std::vector<std::pair<std::string, PngSettings>> rows;
    for (int i = 3; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const std::string value = argv[i + 1];
        if (option == "--atlases") {
            atlasCount = std::strtoul(value.c_str(), nullptr, 10);
        } else if (option == "--photo") {
            photoPaths.push_back(value);
        } else if (option == "--filters") {
            filters.clear();
            for (const std::string& name : splitList(value)) {
                for (int f = 0; f <= static_cast<int>(PngFilter::perRow); ++f) {
                    if (name == filterName(static_cast<PngFilter>(f))) {
                        filters.push_back(static_cast<PngFilter>(f));
                    }
                }
            }
        } else if (option == "--named") {
            for (const std::string& name : splitList(value)) {
                if (name == "fast" || name == "default" || name == "best") {
                    rows.emplace_back(name, pngSettingsFor(name == "fast"    ? PngCompression::fast
                                                           : name == "best" ? PngCompression::best
                                                                            : PngCompression::standard));
                } else {
                    std::fprintf(stderr, "unknown setting %s\n", name.c_str());
                    return 2;
                }
            }
        } else if (option == "--levels") {
            levels.clear();
            for (const std::string& level : splitList(value)) {
                levels.push_back(std::atoi(level.c_str()));
            }
        } else {
            std::fprintf(stderr, "unknown option %s\n", option.c_str());
            return 2;
        }
    }
    try {
        std::vector<std::pair<std::string, std::vector<Image>>> sets;
        std::vector<Image> all = packageAtlases(argv[1], argv[2]);
        std::vector<Image> chosen;
        const std::size_t wanted = atlasCount == 0 ? all.size() : std::min(atlasCount, all.size());
        for (std::size_t i = 0; i < wanted; ++i) {
            chosen.push_back(std::move(all[i * all.size() / wanted]));
        }
        sets.emplace_back("package atlases", std::move(chosen));
        if (!photoPaths.empty()) {
            std::vector<Image> photos;
            for (const std::string& path : photoPaths) {
                photos.push_back(readPhotograph(path));
            }
            sets.emplace_back("photo atlas", std::vector<Image>{photoAtlas(photos)});
        }
        for (const auto& [name, images] : sets) {
            std::printf("%s: %zu images, %.1f MB of RGBA\n", name.c_str(), images.size(),
                        static_cast<double>(rgbaBytes(images)) / 1e6);
        }

        std::printf("\n%-8s %5s", "filter", "level");
        for (const auto& [name, images] : sets) {
            std::printf(" | %15s MB/s  bytes/libpng", name.c_str());
        }
        std::printf("\n");
        std::vector<Measure> reference;
        std::printf("%-14s", "libpng default");
        for (const auto& [name, images] : sets) {
            reference.push_back(measureLibpng(images));
            std::printf(" | %20.1f  %12.4f", static_cast<double>(rgbaBytes(images)) / 1e6 / reference.back().seconds,
                        1.0);
        }
        std::printf("   (%llu", static_cast<unsigned long long>(reference.front().bytes));
        for (std::size_t s = 1; s < reference.size(); ++s) {
            std::printf(", %llu", static_cast<unsigned long long>(reference[s].bytes));
        }
        std::printf(" bytes)\n");
        std::fflush(stdout);
        if (rows.empty()) {
            for (const PngFilter filter : filters) {
                for (const int level : levels) {
                    char label[32];
                    std::snprintf(label, sizeof label, "%-8s %5d", filterName(filter), level);
                    rows.emplace_back(label, PngSettings{filter, level});
                }
            }
        }
        for (const auto& [label, settings] : rows) {
            std::printf("%-14s", label.c_str());
            for (std::size_t s = 0; s < sets.size(); ++s) {
                const std::vector<Image>& images = sets[s].second;
                const Measure own = measureOwn(images, settings);
                std::printf(" | %20.1f  %12.4f", static_cast<double>(rgbaBytes(images)) / 1e6 / own.seconds,
                            static_cast<double>(own.bytes) / static_cast<double>(reference[s].bytes));
            }
            std::printf("\n");
            std::fflush(stdout);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_png_settings: %s\n", error.what());
        return 1;
    }
    return 0;
}
