// Speed and size of the PNG encoder's settings against libpng at its defaults,
// by class of picture:
//   bench_png_settings PACKAGE INDEXFILE [--atlases N] [--photo FILE.png]...
//                      [--filters none,sub,up,average,paeth,perrow] [--levels 1,2,...]
//                      [--named fast,default,best] [--rounds R]
// The classes: "drawn art", atlases painted here (bench/paintDrawnArt);
// "painted art", N atlases of the package (spread evenly over its atlases,
// all when N is absent); "photographs", the photographs given packed into
// atlases of 1024 pixels across and at most 1024 down, the unused area
// transparent. Back to back on the same pixels, it encodes every class with
// libpng's defaults and with each filter at each libdeflate level, and
// prints one line per setting: per class and over all classes the
// encoder's throughput (MB of RGBA in per second) and its PNG bytes against
// libpng's. With --named it measures the --compression settings named
// instead, R rounds (default 1), each class on its own line and the total,
// libpng measured again just before them in every round, and ends with the
// median of the rounds. Sizes are exact; speeds follow the machine's load.
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
#include "bench/paintDrawnArt.h"
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

// The photographs side by side in shelves 1024 pixels across, a new atlas
// begun where the next shelf would go below 1024 rows; each atlas's height
// rounded up to a power of two, the rest transparent black.
std::vector<Image> photoAtlases(const std::vector<Image>& photos) {
    constexpr std::uint32_t width = 1024;
    constexpr std::uint32_t tallest = 1024;
    struct Place {
        std::size_t atlas;
        std::uint32_t x, y;
    };
    std::vector<Place> places;
    std::vector<std::uint32_t> heights;
    std::size_t atlas = 0;
    std::uint32_t x = 0, y = 0, shelf = 0;
    for (const Image& photo : photos) {
        if (photo.size.width > width || photo.size.height > tallest) {
            throw std::runtime_error("a photograph larger than an atlas");
        }
        if (x + photo.size.width > width) {
            x = 0;
            y += shelf;
            shelf = 0;
        }
        if (y + photo.size.height > tallest) {
            heights.push_back(y);
            ++atlas;
            x = 0;
            y = 0;
        }
        places.push_back({atlas, x, y});
        x += photo.size.width;
        shelf = std::max(shelf, photo.size.height);
    }
    heights.push_back(y + shelf);
    std::vector<Image> atlases;
    for (const std::uint32_t height : heights) {
        const std::uint32_t side = std::bit_ceil(std::max(height, 1U));
        atlases.push_back({{width, side}, std::vector<std::uint8_t>(std::size_t {width} * side * 4U)});
    }
    for (std::size_t i = 0; i < photos.size(); ++i) {
        const Image& photo = photos[i];
        Image& target = atlases[places[i].atlas];
        for (std::uint32_t row = 0; row < photo.size.height; ++row) {
            std::memcpy(target.rgba.data() + ((std::size_t {places[i].y} + row) * width + places[i].x) * 4U,
                        photo.rgba.data() + std::size_t {row} * photo.size.width * 4U,
                        std::size_t {photo.size.width} * 4U);
        }
    }
    return atlases;
}

std::vector<Image> drawnArt() {
    std::vector<Image> images;
    for (DrawnSheet& sheet : paintDrawnArt()) {
        images.push_back({{sheet.width, sheet.height}, std::move(sheet.rgba)});
    }
    return images;
}

// The share of fully transparent pixels.
double transparentShare(const std::vector<Image>& images) {
    std::uint64_t clear = 0, all = 0;
    for (const Image& image : images) {
        for (std::size_t i = 3; i < image.rgba.size(); i += 4) {
            clear += image.rgba[i] == 0 ? 1U : 0U;
        }
        all += image.rgba.size() / 4U;
    }
    return all == 0 ? 0 : static_cast<double>(clear) / static_cast<double>(all);
}

// The first three fields of /proc/loadavg, or "?" where there is none.
std::string loadAverage() {
    std::FILE* file = std::fopen("/proc/loadavg", "r");
    if (file == nullptr) {
        return "?";
    }
    char text[64] = {};
    const bool read = std::fgets(text, sizeof text, file) != nullptr;
    std::fclose(file);
    if (!read) {
        return "?";
    }
    std::string fields(text);
    std::size_t end = 0;
    for (int i = 0; i < 3 && end != std::string::npos; ++i) {
        end = fields.find(' ', end == 0 ? 0 : end + 1);
    }
    return fields.substr(0, end);
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

namespace {

using ImageSet = std::pair<std::string, std::vector<Image>>;

double megabytes(std::uint64_t bytes) { return static_cast<double>(bytes) / 1e6; }

// One line per setting: throughput and bytes against libpng for each class
// and over all of them.
void sweep(const std::vector<ImageSet>& sets, const std::vector<std::pair<std::string, PngSettings>>& rows) {
    std::printf("\n%-14s", "filter  level");
    for (const auto& [name, images] : sets) {
        std::printf(" | %11s MB/s  bytes", name.c_str());
    }
    std::printf(" | %11s MB/s  bytes\n", "all");
    std::vector<Measure> reference;
    Measure referenceAll;
    std::printf("%-14s", "libpng default");
    for (const auto& [name, images] : sets) {
        reference.push_back(measureLibpng(images));
        referenceAll.seconds += reference.back().seconds;
        referenceAll.bytes += reference.back().bytes;
        std::printf(" | %16.1f  %5.3f", megabytes(rgbaBytes(images)) / reference.back().seconds, 1.0);
    }
    std::uint64_t allRgba = 0;
    for (const auto& [name, images] : sets) {
        allRgba += rgbaBytes(images);
    }
    std::printf(" | %16.1f  %5.3f   (", megabytes(allRgba) / referenceAll.seconds, 1.0);
    for (std::size_t s = 0; s < reference.size(); ++s) {
        std::printf("%s%llu", s == 0 ? "" : ", ", static_cast<unsigned long long>(reference[s].bytes));
    }
    std::printf(" bytes)\n");
    std::fflush(stdout);
    for (const auto& [label, settings] : rows) {
        std::printf("%-14s", label.c_str());
        Measure all;
        for (std::size_t s = 0; s < sets.size(); ++s) {
            const std::vector<Image>& images = sets[s].second;
            const Measure own = measureOwn(images, settings);
            all.seconds += own.seconds;
            all.bytes += own.bytes;
            std::printf(" | %16.1f  %5.3f", megabytes(rgbaBytes(images)) / own.seconds,
                        static_cast<double>(own.bytes) / static_cast<double>(reference[s].bytes));
        }
        std::printf(" | %16.1f  %5.3f\n", megabytes(allRgba) / all.seconds,
                    static_cast<double>(all.bytes) / static_cast<double>(referenceAll.bytes));
        std::fflush(stdout);
    }
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[(values.size() - 1) / 2];
}

// For each round and class: libpng, then each named setting, back to back.
// Prints per class and in total each setting's throughput against libpng's
// and bytes against libpng's, then the median of the rounds.
void named(const std::vector<ImageSet>& sets, const std::vector<std::pair<std::string, PngSettings>>& rows,
           int rounds) {
    const std::size_t lines = sets.size() + 1; // the classes, then all together
    // speedRatio[setting][line][round], and libpng's MB/s per line and round.
    std::vector<std::vector<std::vector<double>>> speedRatio(rows.size(), std::vector<std::vector<double>>(lines));
    std::vector<std::vector<double>> libpngSpeed(lines);
    std::vector<std::vector<double>> bytesRatio(rows.size(), std::vector<double>(lines));
    const auto header = [&](const char* title) {
        std::printf("\n%s\n%-12s | %11s", title, "class", "libpng MB/s");
        for (const auto& [label, settings] : rows) {
            std::printf(" | %7s: x libpng speed, bytes", label.c_str());
        }
        std::printf("\n");
    };
    for (int round = 1; round <= rounds; ++round) {
        char title[96];
        std::snprintf(title, sizeof title, "round %d (load %s)", round, loadAverage().c_str());
        header(title);
        Measure libpngAll;
        std::vector<Measure> ownAll(rows.size());
        std::uint64_t allRgba = 0;
        for (std::size_t s = 0; s <= sets.size(); ++s) {
            Measure reference;
            std::vector<Measure> own(rows.size());
            std::uint64_t rgba = 0;
            if (s < sets.size()) {
                const std::vector<Image>& images = sets[s].second;
                rgba = rgbaBytes(images);
                allRgba += rgba;
                reference = measureLibpng(images);
                for (std::size_t r = 0; r < rows.size(); ++r) {
                    own[r] = measureOwn(images, rows[r].second);
                    ownAll[r].seconds += own[r].seconds;
                    ownAll[r].bytes += own[r].bytes;
                }
                libpngAll.seconds += reference.seconds;
                libpngAll.bytes += reference.bytes;
            } else {
                rgba = allRgba;
                reference = libpngAll;
                own = ownAll;
            }
            const double libpng = megabytes(rgba) / reference.seconds;
            libpngSpeed[s].push_back(libpng);
            std::printf("%-12s | %11.1f", s < sets.size() ? sets[s].first.c_str() : "all", libpng);
            for (std::size_t r = 0; r < rows.size(); ++r) {
                const double speed = reference.seconds / own[r].seconds;
                const double bytes = static_cast<double>(own[r].bytes) / static_cast<double>(reference.bytes);
                speedRatio[r][s].push_back(speed);
                bytesRatio[r][s] = bytes;
                std::printf(" | %7s  %8.2f x  %11.4f", "", speed, bytes);
            }
            std::printf("\n");
            std::fflush(stdout);
        }
    }
    if (rounds > 1) {
        header("median of the rounds");
        for (std::size_t s = 0; s < lines; ++s) {
            std::printf("%-12s | %11.1f", s < sets.size() ? sets[s].first.c_str() : "all", median(libpngSpeed[s]));
            for (std::size_t r = 0; r < rows.size(); ++r) {
                std::printf(" | %7s  %8.2f x  %11.4f", "", median(speedRatio[r][s]), bytesRatio[r][s]);
            }
            std::printf("\n");
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: %s PACKAGE INDEXFILE [--atlases N] [--photo FILE.png]... [--filters LIST] [--levels LIST] "
                     "[--named LIST] [--rounds R]\n",
                     argv[0]);
        return 2;
    }
    std::size_t atlasCount = 0;
    int rounds = 1;
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
        } else if (option == "--rounds") {
            rounds = std::max(1, std::atoi(value.c_str()));
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
        std::vector<ImageSet> sets;
        sets.emplace_back("drawn art", drawnArt());
        std::vector<Image> all = packageAtlases(argv[1], argv[2]);
        std::vector<Image> chosen;
        const std::size_t wanted = atlasCount == 0 ? all.size() : std::min(atlasCount, all.size());
        for (std::size_t i = 0; i < wanted; ++i) {
            chosen.push_back(std::move(all[i * all.size() / wanted]));
        }
        sets.emplace_back("painted art", std::move(chosen));
        if (!photoPaths.empty()) {
            std::vector<Image> photos;
            for (const std::string& path : photoPaths) {
                photos.push_back(readPhotograph(path));
            }
            sets.emplace_back("photographs", photoAtlases(photos));
        }
        for (const auto& [name, images] : sets) {
            std::printf("%s: %zu atlases, %.1f MB of RGBA, %.0f %% of the pixels transparent\n", name.c_str(),
                        images.size(), megabytes(rgbaBytes(images)), 100 * transparentShare(images));
        }
        if (rows.empty()) {
            for (const PngFilter filter : filters) {
                for (const int level : levels) {
                    char label[32];
                    std::snprintf(label, sizeof label, "%-8s %5d", filterName(filter), level);
                    rows.emplace_back(label, PngSettings {filter, level});
                }
            }
            sweep(sets, rows);
        } else {
            named(sets, rows, rounds);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_png_settings: %s\n", error.what());
        return 1;
    }
    return 0;
}
