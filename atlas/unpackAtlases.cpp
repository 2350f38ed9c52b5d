#include "atlas/unpackAtlases.h"

#include <algorithm>
#include <future>
#include <set>
#include <string>
#include <vector>

#include "atlas/decodeAtlasFile.h"
#include "atlas/reportDecodeOutcome.h"
#include "core/FatalError.h"
#include "core/Platform.h"
#include "description/findFormatEntry.h"
#include "description/loadTextureFormatIndex.h"
#include "package/extractPacket.h"

namespace {

// `folder` followed by the components of a path inside a packet.
PathList underFolder(const PathList& folder, const StringBuffer& name) {
    PathList path;
    path.copyFrom(folder);
    path.appendAll(PathList::fromText(name.view()));
    return path;
}

std::string subGroupLabel(std::uint32_t index, const SubGroupInfo& info) {
    return "subgroup " + std::to_string(index) + " (" + std::string(nameText(info.name)) + ")";
}

// The texture record of an atlas entry, checked against the texture list.
const TextureInfo& atlasTexture(const PackageRecords& records, std::uint32_t subGroupIndex,
                                const SubGroupInfo& info, std::uint32_t entryIndex, const PacketFileEntry& entry) {
    const std::uint64_t number = std::uint64_t{info.firstTextureIndex} + entry.atlasIndex;
    if (number >= records.textures.count()) {
        throw PackageFormatError(subGroupLabel(subGroupIndex, info) + ": atlas entry " + std::to_string(entryIndex) +
                                 " (" + std::string(entry.name.view()) + "): texture number " +
                                 std::to_string(number) + " is beyond the texture list (" +
                                 std::to_string(records.textures.count()) + " textures)");
    }
    return records.textures[static_cast<std::uint32_t>(number)];
}

// Asks whether to skip an atlas whose format code the index file does not
// list. True to skip; false to end the run (an answer of 0, or no answer).
bool skipUnlistedAtlas(Console& console, const AtlasOutputSettings& settings, std::uint32_t formatCode) {
    console.line("\t\t\t\a UnKnown TextureFormat Index : " + std::to_string(formatCode));
    console.line("\t\t\t  pass this atlas ? input 1 to continue, or input 0 to exit");
    if (settings.skipUnknown) {
        return true;
    }
    return console.readInteger().value_or(0) != 0;
}

// One atlas of a packet on its way from "Temp" to "OutPut".
struct AtlasStep {
    std::uint32_t entry = 0;
    const TextureInfo* texture = nullptr; // null: the texture number is beyond the list
    const FormatEntry* format = nullptr;  // null: the index file does not list the code
    std::string inputText;                // the extracted file, joined
    std::future<DecodeOutcome> result;    // set when the atlas is decoded ahead
};

DecodeOutcome decodeStep(const PacketFileEntry& entry, const TextureInfo& texture, const FormatEntry& format) {
    try {
        const PathList inputPath = underFolder(PathList::fromText("Temp"), entry.name);
        PathList outputPath = underFolder(PathList::fromText("OutPut"), entry.name);
        outputPath.last().append(".png");
        return decodeAtlasFile(inputPath, outputPath, ImageSize {texture.width, texture.height}, format);
    } catch (const std::exception& error) {
        DecodeOutcome outcome;
        outcome.failureReason = error.what();
        return outcome;
    }
}

// Decodes every atlas of packet k, printing each atlas's lines in list order.
// With several jobs, atlases after the one being reported are decoded ahead
// on other threads, but never past an atlas that needs the user's answer or
// stops the run, and never two atlases with the same path at once: the
// console, the files and every stop are the same as with one job.
bool decodePacketAtlases(Console& console, const AtlasOutputSettings& settings, const TextureFormatIndex& formats,
                         const PackageRecords& records, std::uint32_t k) {
    const SubGroupInfo& info = records.subGroups[k];
    const PacketFileList& files = records.packetFileLists[k];
    std::vector<AtlasStep> steps;
    for (std::uint32_t e = 0; e < files.count(); ++e) {
        if (files[e].type != atlasFileType) {
            continue;
        }
        AtlasStep step;
        step.entry = e;
        const std::uint64_t number = std::uint64_t{info.firstTextureIndex} + files[e].atlasIndex;
        if (number < records.textures.count()) {
            step.texture = &records.textures[static_cast<std::uint32_t>(number)];
            step.format = findFormatEntry(formats, step.texture->format);
        }
        step.inputText = std::string(underFolder(PathList::fromText("Temp"), files[e].name).join().view());
        steps.push_back(std::move(step));
    }

    const std::size_t jobs = std::max(1U, settings.jobs);
    std::size_t launched = 0; // steps before this one are decoded ahead or behind the reporting point
    std::set<std::string> pathsInFlight;
    std::size_t inFlight = 0;
    const auto launchAhead = [&](std::size_t reporting) {
        if (jobs < 2) {
            return;
        }
        launched = std::max(launched, reporting);
        while (launched < steps.size() && inFlight < jobs) {
            AtlasStep& step = steps[launched];
            if (step.texture == nullptr || (step.format == nullptr && !settings.skipUnknown)) {
                return; // the run may stop here: nothing after it may be written first
            }
            if (step.format != nullptr) {
                if (!pathsInFlight.insert(step.inputText).second) {
                    return; // the same file again: wait until the first is done
                }
                step.result = std::async(std::launch::async, decodeStep, std::cref(files[step.entry]),
                                         std::cref(*step.texture), std::cref(*step.format));
                ++inFlight;
            }
            ++launched;
        }
    };

    bool allWritten = true;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        launchAhead(i);
        AtlasStep& step = steps[i];
        const PacketFileEntry& entry = files[step.entry];
        if (step.texture == nullptr) {
            (void)atlasTexture(records, k, info, step.entry, entry); // throws the package error
        }
        console.line("");
        console.line("\t\t" + std::string(entry.name.view()));
        if (step.format == nullptr) {
            if (!skipUnlistedAtlas(console, settings, step.texture->format)) {
                throw RunAborted({}, true);
            }
            continue;
        }
        console.line("\t\t\tWidth : " + std::to_string(step.texture->width) + " , " + "Height : " +
                     std::to_string(step.texture->height) + " , " + "\tTextureFormat : " +
                     std::string(step.format->name.view()));
        DecodeOutcome outcome;
        if (step.result.valid()) {
            outcome = step.result.get();
            pathsInFlight.erase(step.inputText);
            --inFlight;
        } else {
            outcome = decodeStep(entry, *step.texture, *step.format);
        }
        reportDecodeOutcome(console, outcome);
        if (outcome.succeeded) {
            // The extracted copy has served its purpose; a failed atlas keeps it for inspection.
            (void)platform::removeFile(step.inputText);
        } else {
            allWritten = false;
        }
    }
    return allWritten;
}

} // namespace

bool unpackAtlases(Console& console, const AtlasOutputSettings& settings, ByteSpan package,
                   const PackageRecords& records) {
    const TextureFormatIndex formats = loadTextureFormatIndex(console, settings.indexPath);
    const PathList temp = PathList::fromText("Temp");
    bool allWritten = true;

    for (std::uint32_t g = 0; g < records.groups.count(); ++g) {
        const CompositeGroup& group = records.groups[g];
        if (group.subGroupCount > group.subGroups.count()) {
            throw PackageFormatError("group " + std::to_string(g) + ": " + std::to_string(group.subGroupCount) +
                                     " subgroups named, a group holds at most " +
                                     std::to_string(group.subGroups.count()));
        }
        for (std::uint32_t slot = 0; slot < group.subGroupCount; ++slot) {
            const std::uint32_t k = group.subGroups[slot].subGroupIndex;
            if (k >= records.subGroups.count() || k >= records.packetHeaders.count() ||
                k >= records.packetFileLists.count()) {
                throw PackageFormatError("group " + std::to_string(g) + " slot " + std::to_string(slot) +
                                         ": subgroup index " + std::to_string(k) + " is beyond the subgroup list (" +
                                         std::to_string(records.subGroups.count()) + " subgroups)");
            }
            const SubGroupInfo& info = records.subGroups[k];
            if (info.atlasCount == 0) {
                continue;
            }
            console.line("");
            console.line("\tNow UnPack This PGSR Because it's Included Atlas Resource : " +
                         std::string(nameText(info.name)));
            extractPacket(temp, package, records, k);
            if (!decodePacketAtlases(console, settings, formats, records, k)) {
                allWritten = false;
            }
        }
    }
    return allWritten;
}
