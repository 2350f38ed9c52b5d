#include "app/Unpacker.h"

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/readPackageFile.h"
#include "core/FatalError.h"
#include "core/FileSystem.h"
#include "core/Platform.h"
#include "atlas/unpackAtlases.h"
#include "description/writePackageDescription.h"
#include "package/readPackage.h"

namespace {

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

// The output folder: "~" + the package's name beside the package, or the
// folder given with -o (taken against the current directory when relative);
// with several packages, "~" + the package's name inside that folder.
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
        if (options.packagePaths.size() > 1) {
            folder.append(StringBuffer(selected.last()));
            folder.prefixLast();
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
    settings.extractAll = options.extractAll;
    settings.selection = FileSelection(options.onlyPatterns);
    settings.keepExtracted = options.keepExtracted;
    const bool allWritten = unpackAtlases(console, settings, packageBuffer, records);
    console.line("Finish : OutPut Atlas Resource");
    return allWritten ? exitSuccess : exitFailure;
}

namespace {

// The run for one package, as runUnpacker describes it. `exitRequested` is
// set when the user answered the unlisted-format prompt with 0.
int unpackPackage(Console& console, const CommandLine& options, const std::optional<std::string>& packagePath,
                  bool& exitRequested) {
    printKinds(console);

    PathList selected;
    chooseFile(console, selected, packagePath);
    console.line("InPut : " + std::string(selected.join().view()));

    std::vector<std::string> failureLines;
    std::optional<PackageFile> package = readPackageFile(selected, failureLines);
    if (!package) {
        for (const std::string& line : failureLines) {
            console.line(line);
        }
        return endRun(console, true);
    }

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
        status = processPackage(console, options, selected.last(), package->view());
    } catch (const PackageFormatError& error) {
        changeDirectory(savedDirectory);
        console.line("ResourcePackage : Format Error");
        console.line(std::string("\t") + error.what());
        return endRun(console, true);
    } catch (const RunAborted& abort) {
        changeDirectory(savedDirectory);
        exitRequested = dynamic_cast<const ExitRequested*>(&abort) != nullptr;
        for (const std::string& line : abort.lines()) {
            console.line(line);
        }
        return endRun(console, abort.pause());
    }

    changeDirectory(savedDirectory);
    package.reset();
    console.line("Finish!");
    console.finalWait();
    return status;
}

} // namespace

int runUnpacker(Console& console, const CommandLine& options) {
    if (options.packagePaths.empty()) {
        bool exitRequested = false;
        return unpackPackage(console, options, std::nullopt, exitRequested);
    }
    int status = exitSuccess;
    for (const std::string& path : options.packagePaths) {
        bool exitRequested = false;
        if (unpackPackage(console, options, path, exitRequested) != exitSuccess) {
            status = exitFailure;
        }
        if (exitRequested) {
            break;
        }
    }
    return status;
}
