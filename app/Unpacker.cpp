#include "app/Unpacker.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>

#include "core/FatalError.h"
#include "core/Constants.h"
#include "core/FileSystem.h"
#include "core/OutputFolder.h"
#include "core/Platform.h"
#include "atlas/OutputBudget.h"
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

int cannotRead(Console& console, const std::string& reason) {
    console.line("ResourcePackage : CanNot Read : " + reason);
    return endRun(console, true);
}

int cannotAlloc(Console& console, std::uint64_t size) {
    console.line("Error: CanNot Alloc Enought Buffer");
    console.line("Need Size: " + std::to_string(size >> 20U) + "M");
    return endRun(console, true);
}

// Closes the package file however the reading ends.
struct PackageFile {
    platform::NativeHandle handle = platform::noHandle();
    PackageFile() = default;
    PackageFile(const PackageFile&) = delete;
    PackageFile& operator=(const PackageFile&) = delete;
    ~PackageFile() { platform::closeHandle(handle); }
};

// The output folder: "~" + the package's name beside the package, or the
// folder given with -o (taken against the start folder when relative).
std::string outputFolderFor(const Console& console, const std::string& selected, const CommandLine& options) {
    if (options.outputFolder) {
        const std::string text =
            resolveChosenPath(*options.outputFolder, console.startFolder(), platform::homeFolder());
        return text.empty() ? std::string(".") : text;
    }
    const std::string folder = folderOf(selected);
    return folder + (folder.ends_with(pathSeparator) ? "" : std::string(1, pathSeparator)) +
           std::string(outputFolderPrefix().view()) + fileNameOf(selected);
}

// Runs one stage; a failed allocation in it ends the run naming what the
// memory was for.
template <typename Stage>
auto withMemoryFor(const char* purpose, Stage&& stage) {
    try {
        return stage();
    } catch (const std::bad_alloc&) {
        throw RunAborted({std::string("Error: not enough memory for ") + purpose}, true);
    } catch (const std::length_error&) {
        throw RunAborted({std::string("Error: not enough memory for ") + purpose}, true);
    }
}

} // namespace

int processPackage(Console& console, OutputFolder& folder, const CommandLine& options, const StringBuffer& fileName,
                   std::span<const std::uint8_t> packageBuffer) {
    console.line("Now Analysis ResourcePackage Information");
    PackageRecords records;
    withMemoryFor("the package's records", [&] { readPackage(packageBuffer, records); });
    withMemoryFor("the package description", [&] { writePackageDescription(folder, fileName, records); });
    console.line("Finish : Analysis ResourcePackage Information");

    console.line("Now OutPut Atlas Resource");
    AtlasOutputSettings settings;
    settings.indexPath = options.indexPath;
    settings.skipUnknown = options.skipUnknown;
    settings.jobs = options.jobs != 0 ? options.jobs : std::max(1U, std::thread::hardware_concurrency());
    settings.outputBudget = options.maxOutput.value_or(defaultOutputBudget(packageBuffer.size()));
    const bool allWritten = withMemoryFor(
        "the atlas output", [&] { return unpackAtlases(console, folder, settings, packageBuffer, records); });
    console.line("Finish : OutPut Atlas Resource");
    return allWritten ? exitSuccess : exitFailure;
}

int runUnpacker(Console& console, const CommandLine& options) {
    printKinds(console);

    const std::string selected = chooseFile(console, options.packagePath);
    console.line("InPut : " + selected);

    PackageFile file;
    std::uint64_t size = 0;
    if (selected.empty()) {
        return fileIsNotExist(console);
    }
    if (const int error = platform::openRegularFilePath(selected, file.handle, size); error != 0) {
        if (error == ENOENT || error == ENOTDIR) {
            return fileIsNotExist(console);
        }
        return cannotRead(console, selected + " : " +
                                       (error == EISDIR  ? std::string("is a folder, not a package file")
                                        : error == EINVAL ? std::string("is not a regular file")
                                                          : platform::errorText(error)));
    }
    if (size >= packageSizeLimit) {
        return cannotAlloc(console, size);
    }
    std::unique_ptr<std::uint8_t[]> packageBuffer;
    try {
        packageBuffer = std::make_unique_for_overwrite<std::uint8_t[]>(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        return cannotAlloc(console, size);
    }
    const std::span<std::uint8_t> bytes(packageBuffer.get(), static_cast<std::size_t>(size));
    if (const std::optional<std::string> reason = readExactly(file.handle, bytes)) {
        return cannotRead(console, selected + " : " + *reason);
    }
    platform::closeHandle(file.handle);
    file.handle = platform::noHandle();

    int status = exitSuccess;
    try {
        OutputFolder folder(outputFolderFor(console, selected, options));
        status = processPackage(console, folder, options, StringBuffer::fromBytes(fileNameOf(selected)), bytes);
    } catch (const PackageFormatError& error) {
        console.line("ResourcePackage : Format Error");
        console.line(std::string("\t") + error.what());
        return endRun(console, true);
    } catch (const RunAborted& abort) {
        for (const std::string& line : abort.lines()) {
            console.line(line);
        }
        return endRun(console, abort.pause());
    }

    packageBuffer.reset();
    console.line("Finish!");
    console.finalWait();
    return status;
}
