#include "app/listPackages.h"

#include <optional>
#include <string>
#include <vector>

#include "app/Unpacker.h"
#include "app/readPackageFile.h"
#include "core/FatalError.h"
#include "core/FileSelection.h"
#include "core/FileSystem.h"
#include "core/Platform.h"
#include "description/PackageInformation.h"
#include "description/buildPackageInformation.h"
#include "description/listPackageFiles.h"
#include "description/parseTextureFormatIndex.h"
#include "package/readPackage.h"

namespace {

PathList chosenPath(const Console& console, const std::string& given) {
    return PathList::fromText(resolveChosenPath(given, console.startFolder(), platform::homeFolder()));
}

void printEnd(Console& messages, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        messages.line(line);
    }
    messages.line("Now Exit");
}

// The lines of one package; throws PackageFormatError for a damaged one.
std::vector<std::string> packageLines(const PackageFile& package, const StringBuffer& fileName,
                                      const FileSelection& selection, const TextureFormatIndex* formats) {
    PackageRecords records;
    readPackage(package.view(), records);
    // The checks of the analysis stage, so that a package --list accepts is
    // one whose unpacking gets past its analysis.
    PackageInformation information;
    buildPackageInformation(information, fileName, records.useMoreAtlasInfo, records.groups, records.subGroups,
                            records.textures, records.packetHeaders, records.packetFileLists);
    return listPackageFiles(records, selection, formats);
}

} // namespace

int listPackages(Console& listing, Console& messages, const CommandLine& options) {
    std::optional<TextureFormatIndex> formats;
    if (options.indexPath) {
        const std::optional<std::string> bytes = readWholeFile(chosenPath(messages, *options.indexPath));
        if (!bytes) {
            printEnd(messages, {"TextureFormat Index Information File : Not Exist"});
            return exitFailure;
        }
        formats = parseTextureFormatIndex(*bytes);
        if (!formats) {
            printEnd(messages, {"TextureFormat Index Information File : Format Error"});
            return exitFailure;
        }
    }
    const FileSelection selection(options.onlyPatterns);

    int status = exitSuccess;
    for (const std::string& given : options.packagePaths) {
        const PathList path = chosenPath(messages, given);
        const std::string input = "InPut : " + std::string(path.join().view());
        std::vector<std::string> failureLines;
        const std::optional<PackageFile> package = readPackageFile(path, failureLines);
        if (!package) {
            failureLines.insert(failureLines.begin(), input);
            printEnd(messages, failureLines);
            status = exitFailure;
            continue;
        }
        std::vector<std::string> lines;
        try {
            lines = packageLines(*package, path.last(), selection, formats ? &*formats : nullptr);
        } catch (const PackageFormatError& error) {
            printEnd(messages, {input, "ResourcePackage : Format Error", std::string("\t") + error.what()});
            status = exitFailure;
            continue;
        }
        for (const std::string& line : lines) {
            listing.line(line);
        }
    }
    return status;
}
