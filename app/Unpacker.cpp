#include "app/Unpacker.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <thread>

#include "core/FatalError.h"
#include "core/FileSystem.h"
#include "core/Platform.h"
#include "atlas/unpackAtlases.h"
#include "description/writePackageDescription.h"
#include "package/readPackage.h"

namespace {

// Offsets inside a package are 32-bit, so no package reaches 4 GiB.
constexpr std::uint64_t packageSizeLimit = std::uint64_t{1} << 32;

void printKinds(Console& console) {
    console.line("This program can unpack all image resource from resource-package, Programming By Kestrivan");
    constexpr std::uint64_t keys[] = {4817263905172634851ULL, 3920481756203948172ULL, 12093847561029384756ULL};
    console.line("The Key Is : " + std::to_string(keys[0]) + " OR " + std::to_string(keys[1]) + " OR " +
                 std::to_string(keys[2]));
    console.line("Choose ResourcePackage");
    console.line("\t.obb : Android");
    console.line("\t.rsb : iOS");
    console.line("\t.rsb.smf : Android(Ver.CN)");
}

int endRun(Console& console, bool pause) {
    console.line("Now Exit");
    if (pause) {
        console.pause();
    }
    return exitFailure;
}

int fileIsNotExist(Console& console) {
    console.line("File Is Not Exist ");
    return endRun(console, true);
}

int cannotAlloc(Console& console, std::uint64_t size) {
    console.line("Error: CanNot Alloc Enought Buffer");
    console.line("Need Size: " + std::to_string(size >> 20U) + "M");
    return endRun(console, true);
}

// Size of an open stream, measured from its current position to its end.
std::optional<std::uint64_t> streamSize(std::FILE* stream) {
#ifdef _WIN32
    if (_fseeki64(stream, 0, SEEK_END) != 0) {
        return std::nullopt;
    }
    const long long end = _ftelli64(stream);
#else
    if (fseeko(stream, 0, SEEK_END) != 0) {
        return std::nullopt;
    }
    const off_t end = ftello(stream);
#endif
    if (end < 0) {
        return std::nullopt;
    }
    std::rewind(stream);
    return static_cast<std::uint64_t>(end);
}

// The output folder: "~" + the package's name beside the package, or the
// folder given with -o (taken against the current directory when relative).
PathList outputFolderFor(const Console& console, const PathList& selected, const CommandLine& options) {
    PathList folder;
    if (options.outputFolder) {
        const std::string text = resolveChosenPath(*options.outputFolder, console.startFolder(), platform::homeFolder());
        folder.split(text.empty() ? std::string(".") : text);
        // A trailing separator leaves an empty last component; it names no folder.
        while (folder.count() > 1 && folder.last().length() == 0) {
            PathList trimmed;
            for (std::uint32_t i = 0; i + 1 < folder.count(); ++i) {
                trimmed.append(StringBuffer(folder[i]));
            }
            folder = std::move(trimmed);
        }
        return folder;
    }
    folder.copyFrom(selected);
    folder.prefixLast();
    return folder;
}

} // namespace

int processPackage(Console& console, const CommandLine& options, const StringBuffer& fileName,
                   std::span<const std::uint8_t> packageBuffer) {
    console.line("Now Analysis ResourcePackage Information");
    PackageRecords records;
    readPackage(packageBuffer, records);
    writePackageDescription(fileName, records);
    console.line("Finish : Analysis ResourcePackage Information");

    console.line("Now OutPut Atlas Resource");
    AtlasOutputSettings settings;
    settings.indexPath = options.indexPath;
    settings.skipUnknown = options.skipUnknown;
    settings.jobs = options.jobs != 0 ? options.jobs : std::max(1U, std::thread::hardware_concurrency());
    settings.compression = options.compression;
    const bool allWritten = unpackAtlases(console, settings, packageBuffer, records);
    console.line("Finish : OutPut Atlas Resource");
    return allWritten ? exitSuccess : exitFailure;
}

int runUnpacker(Console& console, const CommandLine& options) {
    printKinds(console);

    PathList selected;
    chooseFile(console, selected, options.packagePath);
    console.line("InPut : " + std::string(selected.join().view()));

    FileHandle file;
    if (!openForRead(file, selected)) {
        return fileIsNotExist(console);
    }
    const std::optional<std::uint64_t> size = streamSize(file.stream());
    if (!size) {
        return fileIsNotExist(console);
    }
    if (*size >= packageSizeLimit) {
        return cannotAlloc(console, *size);
    }
    std::unique_ptr<std::uint8_t[]> packageBuffer;
    try {
        packageBuffer = std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(*size));
    } catch (const std::bad_alloc&) {
        return cannotAlloc(console, *size);
    }
    if (*size != 0 && std::fread(packageBuffer.get(), static_cast<std::size_t>(*size), 1, file.stream()) != 1) {
        return fileIsNotExist(console);
    }
    file.release();

    PathList savedDirectory;
    currentDirectory(savedDirectory);

    PathList outputFolder = outputFolderFor(console, selected, options);
    createFolderChain(outputFolder, outputFolder.count());
    errno = 0;
    if (!changeDirectory(outputFolder)) {
        console.line("Output Folder : CanNot Enter " + std::string(outputFolder.join().view()) + " : " +
                     platform::errorText(errno != 0 ? errno : ENOENT));
        return endRun(console, true);
    }
    outputFolder.release();

    int status = exitSuccess;
    try {
        status = processPackage(console, options, selected.last(),
                                std::span<const std::uint8_t>(packageBuffer.get(), static_cast<std::size_t>(*size)));
    } catch (const PackageFormatError& error) {
        changeDirectory(savedDirectory);
        console.line("ResourcePackage : Format Error");
        console.line(std::string("\t") + error.what());
        return endRun(console, true);
    } catch (const RunAborted& abort) {
        changeDirectory(savedDirectory);
        for (const std::string& line : abort.lines()) {
            console.line(line);
        }
        return endRun(console, abort.pause());
    }

    changeDirectory(savedDirectory);
    packageBuffer.reset();
    console.line("Finish!");
    console.finalWait();
    return status;
}
