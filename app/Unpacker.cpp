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
#include <vector>

#include "app/readPackageFile.h"
#include "core/FatalError.h"
#include "core/Constants.h"
#include "core/withMemoryFor.h"
#include "platform/FileSystem.h"
#include "platform/OutputFolder.h"
#include "platform/Platform.h"
#include "atlas/OutputBudget.h"
#include "atlas/unpackAtlases.h"
#include "description/writeDescriptionFile.h"
#include "description/writePackageDescription.h"
#include "package/readPackage.h"

namespace {

void printBanner(Console& console) {
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

std::string joined(const std::string& folder, const std::string& name) {
    return folder + (folder.ends_with(pathSeparator) ? "" : std::string(1, pathSeparator)) + name;
}

// The output folder: "~" + the package's name beside the package, or the
// folder given with -o (taken against the start folder when relative); with
// several packages, "~" + the package's name inside that folder.
std::string outputFolderFor(const Console& console, const std::string& selected, const CommandLine& options) {
    const std::string ownName = std::string(outputFolderPrefix().view()) + fileNameOf(selected);
    if (options.outputFolder) {
        std::string text = resolveChosenPath(*options.outputFolder, console.startFolder(), platform::homeFolder());
        if (text.empty()) {
            text.push_back('.');
        }
        return options.packagePaths.size() > 1 ? joined(text, ownName) : text;
    }
    return joined(folderOf(selected), ownName);
}

} // namespace

int processPackage(Console& console, OutputFolder& folder, const CommandLine& options, const StringBuffer& fileName,
                   std::span<const std::uint8_t> packageBuffer, std::string* chosenIndexPath) {
    console.line("Now Analysis ResourcePackage Information");
    PackageRecords records;
    withMemoryFor("the package's records", [&] { readPackage(packageBuffer, records); });
    const std::uint64_t budget = options.maxOutput.value_or(defaultOutputBudget(packageBuffer.size()));
    std::uint64_t descriptionBytes = 0;
    try {
        descriptionBytes = withMemoryFor("the package description",
                                         [&] { return writePackageDescription(folder, fileName, records, budget); });
    } catch (const DescriptionOverBudget&) {
        passOutputBudget("Writing the description Information.json", budget);
    }
    console.line("Finish : Analysis ResourcePackage Information");

    console.line("Now OutPut Atlas Resource");
    AtlasOutputSettings settings;
    settings.indexPath = options.indexPath;
    settings.skipUnknown = options.skipUnknown;
    settings.jobs = options.jobs != 0 ? options.jobs : std::max(1U, std::thread::hardware_concurrency());
    settings.outputBudget = budget;
    settings.outputSpent = descriptionBytes;
    settings.extractAll = options.extractAll;
    settings.selection = FileSelection(options.onlyPatterns);
    settings.keepExtracted = options.keepExtracted;
    settings.compression = options.compression;
    settings.chosenIndexPath = chosenIndexPath;
    settings.gallery = options.gallery;
    const bool allWritten = unpackAtlases(console, folder, settings, packageBuffer, records);
    console.line("Finish : OutPut Atlas Resource");
    return allWritten ? exitSuccess : exitFailure;
}

namespace {

// The run for one package, as runUnpacker describes it. `exitRequested` is
// set when the user answered the unlisted-format prompt with 0;
// `chosenIndexPath` receives the path the index file was read from.
int unpackPackage(Console& console, const CommandLine& options, const std::optional<std::string>& packagePath,
                  bool& exitRequested, std::string& chosenIndexPath) {
    printBanner(console);

    const std::string selected = chooseFile(console, packagePath);
    console.line("InPut : " + selected);

    std::vector<std::string> failureLines;
    std::optional<PackageFile> package = readPackageFile(selected, failureLines);
    if (!package) {
        for (const std::string& line : failureLines) {
            console.line(line);
        }
        return endRun(console, true);
    }

    int status = exitSuccess;
    try {
        OutputFolder folder(outputFolderFor(console, selected, options));
        // The run's input may lie in the output folder: no write may replace it.
        if (package->identity()) {
            folder.protect(*package->identity(), "the package being unpacked");
        }
        if (options.indexPath) {
            // Known before Information.json is written, though read only later.
            if (const std::optional<platform::FileIdentity> index = fileIdentityOfPath(
                    resolveChosenPath(*options.indexPath, console.startFolder(), platform::homeFolder()))) {
                folder.protect(*index, "the index file being read");
            }
        }
        status =
            processPackage(console, folder, options, StringBuffer::fromBytes(fileNameOf(selected)), package->view(),
                           &chosenIndexPath);
    } catch (const PackageFormatError& error) {
        console.line("ResourcePackage : Format Error");
        console.line(std::string("\t") + error.what());
        return endRun(console, true);
    } catch (const RunAborted& abort) {
        exitRequested = dynamic_cast<const ExitRequested*>(&abort) != nullptr;
        for (const std::string& line : abort.lines()) {
            console.line(line);
        }
        return endRun(console, abort.pause());
    }

    package.reset();
    console.line("Finish!");
    console.finalWait();
    return status;
}

} // namespace

int runUnpacker(Console& console, const CommandLine& options) {
    std::string chosenIndexPath;
    if (options.packagePaths.empty()) {
        bool exitRequested = false;
        return unpackPackage(console, options, std::nullopt, exitRequested, chosenIndexPath);
    }
    // The index file asked for with the first package serves the others too
    // (several packages dropped on the program at once).
    CommandLine current = options;
    int status = exitSuccess;
    for (const std::string& path : options.packagePaths) {
        bool exitRequested = false;
        if (unpackPackage(console, current, path, exitRequested, chosenIndexPath) != exitSuccess) {
            status = exitFailure;
        }
        if (!current.indexPath && !chosenIndexPath.empty()) {
            current.indexPath = chosenIndexPath;
        }
        if (exitRequested) {
            break;
        }
    }
    return status;
}
