// The unavoidable part of unpacking a package, for comparison with the tool:
//   bench_floor PACKAGE INDEXFILE OUTDIR [--jobs N] [--libraries libpng|own]
// A setup phase (not timed) reads the package, decodes every atlas that the
// tool would write and creates the output folders. The timed phase then does
// only what no implementation can skip: inflate every compressed data block
// of every atlas-bearing packet the tool extracts, and write every atlas as
// a PNG file to OUTDIR/OutPut/<path>.png. With "libpng" (the default), zlib
// inflates and libpng encodes at its default settings; with "own", libdeflate
// inflates and the tool's own encoder encodes at its default settings. With
// --jobs N the timed work is shared by N threads. Prints the timed seconds.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <libdeflate.h>
#include <zlib.h>

#include "texture/PixelRows.h"
#include "png/encodePng.h"
#include "bench/benchPackageAtlases.h"
#include "bench/writePngWithLibpng.h"

namespace fs = std::filesystem;

namespace {

struct InflateTask {
    ByteSpan source;
    std::uint32_t declaredSize = 0;
};

struct PngTask {
    std::unique_ptr<PixelRows> rows; // the own encoder uses it up
    std::size_t rgbaBytes = 0;
    std::string outputPath;
};

// One unit of timed work: an inflation or a PNG file.
struct Task {
    std::unique_ptr<InflateTask> inflate;
    std::unique_ptr<PngTask> png;
};

bool inflateWithZlib(const InflateTask& inflate) {
    auto block = std::make_unique_for_overwrite<std::uint8_t[]>(inflate.declaredSize);
    uLongf length = inflate.declaredSize;
    return uncompress(block.get(), &length, inflate.source.data(), static_cast<uLong>(inflate.source.size())) == Z_OK;
}

bool inflateWithLibdeflate(const InflateTask& inflate) {
    auto block = std::make_unique_for_overwrite<std::uint8_t[]>(inflate.declaredSize);
    libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
    if (decompressor == nullptr) {
        return false;
    }
    const libdeflate_result result = libdeflate_zlib_decompress(decompressor, inflate.source.data(),
                                                                inflate.source.size(), block.get(),
                                                                inflate.declaredSize, nullptr);
    libdeflate_free_decompressor(decompressor);
    return result == LIBDEFLATE_SUCCESS;
}

bool runTask(const Task& task, bool ownLibraries) {
    if (task.inflate) {
        return ownLibraries ? inflateWithLibdeflate(*task.inflate) : inflateWithZlib(*task.inflate);
    }
    std::FILE* file = std::fopen(task.png->outputPath.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    bool written = false;
    if (ownLibraries) {
        const std::vector<std::uint8_t> png =
            encodePng(std::move(*task.png->rows), pngSettingsFor(PngCompression::standard));
        written = std::fwrite(png.data(), png.size(), 1, file) == 1;
    } else {
        written = !writePngWithLibpng(*task.png->rows, file);
    }
    return std::fclose(file) == 0 && written;
}


// The timed work, in the order the tool meets it.
std::vector<Task> prepare(const BenchPackage& package, const fs::path& outFolder) {
    std::vector<Task> tasks;
    const PackageRecords& records = package.records;
    const auto onPacket = [&](std::uint32_t k) {
        const SubGroupInfo& info = records.subGroups[k];
        const PacketHeader& header = records.packetHeaders[k];
        const auto addInflate = [&](std::uint32_t offset, std::uint32_t compressedSize, std::uint32_t size) {
            Task task;
            task.inflate = std::make_unique<InflateTask>(
                InflateTask {package.view().subspan(std::size_t{info.packetOffset} + offset, compressedSize), size});
            tasks.push_back(std::move(task));
        };
        if ((header.compressionFlags & compressResourceFlag) != 0 && header.resourceDataSize != 0) {
            addInflate(header.resourceDataOffset, header.resourceDataCompressedSize, header.resourceDataSize);
        }
        if ((header.compressionFlags & compressAtlasFlag) != 0 && header.atlasDataSize != 0) {
            addInflate(header.atlasDataOffset, header.atlasDataCompressedSize, header.atlasDataSize);
        }
    };
    const auto onAtlas = [&](const PacketFileEntry& entry, PixelRows&& pixels) {
        std::string path(entry.name.view());
        for (char& c : path) {
            c = c == '\\' ? '/' : c;
        }
        const fs::path output = outFolder / "OutPut" / (path + ".png");
        fs::create_directories(output.parent_path());
        auto rows = std::make_unique<PixelRows>(std::move(pixels));
        const std::size_t rgbaBytes = rows->pixelBytes();
        Task task;
        task.png = std::make_unique<PngTask>(PngTask {std::move(rows), rgbaBytes, output.string()});
        tasks.push_back(std::move(task));
    };
    forEachPackageAtlas(package, onPacket, onAtlas);
    return tasks;
}

} // namespace

int main(int argc, char** argv) {
    unsigned jobs = std::max(1U, std::thread::hardware_concurrency());
    bool ownLibraries = false;
    bool usable = argc >= 4;
    for (int i = 4; usable && i < argc; i += 2) {
        const std::string option = argv[i];
        const std::string value = i + 1 < argc ? argv[i + 1] : "";
        if (option == "--jobs" && !value.empty()) {
            jobs = static_cast<unsigned>(std::strtoul(value.c_str(), nullptr, 10));
        } else if (option == "--libraries" && (value == "libpng" || value == "own")) {
            ownLibraries = value == "own";
        } else {
            usable = false;
        }
    }
    if (!usable || jobs == 0) {
        std::fprintf(stderr, "usage: %s PACKAGE INDEXFILE OUTDIR [--jobs N] [--libraries libpng|own]\n", argv[0]);
        return 2;
    }
    try {
        const BenchPackage package = readBenchPackage(argv[1], argv[2]);
        const std::vector<Task> tasks = prepare(package, fs::path(argv[3]));

        const auto start = std::chrono::steady_clock::now();
        std::atomic<std::size_t> next {0};
        std::atomic<bool> allDone {true};
        const auto worker = [&] {
            for (std::size_t i = next++; i < tasks.size(); i = next++) {
                if (!runTask(tasks[i], ownLibraries)) {
                    allDone = false;
                }
            }
        };
        std::vector<std::thread> threads;
        for (unsigned t = 1; t < jobs; ++t) {
            threads.emplace_back(worker);
        }
        worker();
        for (std::thread& thread : threads) {
            thread.join();
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!allDone) {
            std::fprintf(stderr, "a block did not inflate or a PNG file could not be written\n");
            return 1;
        }
        std::size_t largest = 0;
        for (const Task& task : tasks) {
            if (task.png) {
                largest = std::max(largest, task.png->rgbaBytes);
            }
        }
        std::printf("floor seconds: %.3f (%zu tasks, %u jobs)\nlargest atlas RGBA bytes: %zu\n", seconds,
                    tasks.size(), jobs, largest);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "floor: %s\n", error.what());
        return 1;
    }
    return 0;
}
