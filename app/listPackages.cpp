#include "app/listPackages.h"

#include <optional>
#include <string>
#include <vector>

#include "app/Unpacker.h"
#include "app/readPackageFile.h"
#include "core/FatalError.h"
#include "core/FileSelection.h"
#include "core/withMemoryFor.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"
#include "description/buildPackageInformation.h"
#include "description/listPackageFiles.h"
#include "description/loadTextureFormatIndex.h"
#include "package/readPackage.h"

namespace {

std::string chosenPath(const Console& console, const std::string& given) {
    return resolveChosenPath(given, console.startFolder(), platform::homeFolder());
}

void printEnd(Console& messages, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        messages.line(line);
    }
    messages.line("Now Exit");
}

// The lines of one package; throws PackageFormatError for a damaged one and
// RunAborted for one that the memory does not suffice for.
std::vector<std::string> packageLines(const PackageFile& package, const FileSelection& selection, const TextureFormatIndex* formats) {
    PackageRecords records;
    withMemoryFor("the package's records", [&] { readPackage(package.view(), records); });
    // The checks of the analysis stage, so that a package --list accepts is
    // one whose unpacking gets past its analysis; nothing of the description is kept.
    withMemoryFor("the package description", [&] {
        visitPackageInformation(records.groups, records.subGroups, records.textures, records.packetHeaders,
                                records.packetFileLists, PackageInformationVisitor {});
    });
    return withMemoryFor("the listing", [&] { return listPackageFiles(records, selection, formats); });
}

} // namespace

int listPackages(Console& listing, Console& messages, const CommandLine& options) {
    std::optional<TextureFormatIndex> formats;
    if (options.indexPath) {
        try {
            formats = withMemoryFor("the texture-format index file", [&] {
                return readTextureFormatIndexFile(chosenPath(messages, *options.indexPath));
            });
        } catch (const RunAborted& failure) {
            printEnd(messages, failure.lines());
            return exitFailure;
        }
    }
    const FileSelection selection(options.onlyPatterns);

    int status = exitSuccess;
    for (const std::string& given : options.packagePaths) {
        const std::string path = chosenPath(messages, given);
        const std::string input = "InPut : " + path;
        std::vector<std::string> failureLines;
        const std::optional<PackageFile> package = readPackageFile(path, failureLines);
        if (!package) {
            messages.line(input);
            printEnd(messages, failureLines);
            status = exitFailure;
            continue;
        }
        std::vector<std::string> lines;
        try {
            lines = packageLines(*package, selection, formats ? &*formats : nullptr);
        } catch (const PackageFormatError& error) {
            printEnd(messages, {input, "ResourcePackage : Format Error", std::string("\t") + error.what()});
            status = exitFailure;
            continue;
        } catch (const RunAborted& failure) {
            messages.line(input);
            printEnd(messages, failure.lines());
            status = exitFailure;
            continue;
        }
        for (const std::string& line : lines) {
            listing.line(line);
        }
    }
    if (listing.writeError() != 0) {
        messages.line("resunpack: cannot write the listing: " + platform::errorText(listing.writeError()));
        status = exitFailure;
    }
    return status;
}
