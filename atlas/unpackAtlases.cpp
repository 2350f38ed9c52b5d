#include "atlas/unpackAtlases.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <exception>
#include <future>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "atlas/decodeAtlasFile.h"
#include "atlas/reportDecodeOutcome.h"
#include "core/FatalError.h"
#include "core/Platform.h"
#include "core/printableName.h"
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
    return "subgroup " + std::to_string(index) + " (" + printableName(nameText(info.name)) + ")";
}

// The texture record of an atlas entry, checked against the texture list.
const TextureInfo& atlasTexture(const PackageRecords& records, std::uint32_t subGroupIndex,
                                const SubGroupInfo& info, std::uint32_t entryIndex, const PacketFileEntry& entry) {
    const std::uint64_t number = std::uint64_t{info.firstTextureIndex} + entry.atlasIndex;
    if (number >= records.textures.count()) {
        throw PackageFormatError(subGroupLabel(subGroupIndex, info) + ": atlas entry " + std::to_string(entryIndex) +
                                 " (" + printableName(entry.name.view()) + "): texture number " +
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

// An atlas decoded and encoded as PNG, waiting to be written in its turn.
struct EncodedAtlas {
    DecodeOutcome outcome;
    std::vector<std::uint8_t> png;
};

using SharedBlocks = std::shared_ptr<const PacketBlocks>;

// Decodes and encodes one atlas from its packet's blocks; this copy of the
// blocks' owner is let go once the pixels are decoded, so that a packet's
// inflated data does not wait for the PNG encoding of its atlases.
EncodedAtlas encodeAtlas(SharedBlocks blocks, const PacketFileEntry& entry, const TextureInfo& texture,
                         const FormatEntry& format, PngCompression compression) {
    EncodedAtlas encoded;
    try {
        // The entry was checked against its block when the packet was opened.
        const ByteSpan source = blocks->atlasData().subspan(entry.offset, entry.size);
        encoded.outcome = encodeAtlasImage(source, ImageSize {texture.width, texture.height}, format, encoded.png,
                                           [&blocks] { blocks.reset(); }, compression);
    } catch (const std::exception& error) {
        encoded.outcome = DecodeOutcome {};
        encoded.outcome.failureReason = error.what();
    }
    return encoded;
}

// One atlas of a packet on its way from the packet's data to "OutPut".
struct AtlasStep {
    std::uint32_t entry = 0;
    const TextureInfo* texture = nullptr; // null: the texture number is beyond the list
    const FormatEntry* format = nullptr;  // null: the index file does not list the code
    std::future<EncodedAtlas> result;     // set when the atlas is encoded ahead
    // Another file of the packet may land on the same extracted file: the
    // atlas is then decoded from what "Temp" holds in its turn, as it would
    // be alone, never from its own bytes in memory.
    bool fromExtractedFile = false;
};

// Files of a packet whose names give the same key may be one file on disk:
// the key drops empty and "." components and ignores ASCII letter case, so
// it errs towards finding two names alike.
std::string sameFileKey(std::string_view name) {
    std::string key;
    const PathList components = PathList::fromText(name);
    for (const StringBuffer& component : components) {
        const std::string_view part = component.view();
        if (part.empty() || part == ".") {
            continue;
        }
        key.push_back('/');
        for (const char c : part) {
            key.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
        }
    }
    return key;
}

DecodeOutcome decodeExtractedFile(const PacketFileEntry& entry, const TextureInfo& texture, const FormatEntry& format,
                                  const PathList& outputPath, PngCompression compression) {
    try {
        return decodeAtlasFile(underFolder(PathList::fromText("Temp"), entry.name), outputPath,
                               ImageSize {texture.width, texture.height}, format, compression);
    } catch (const std::exception& error) {
        DecodeOutcome outcome;
        outcome.failureReason = error.what();
        return outcome;
    }
}

// One visit of an atlas-bearing packet, in run order; a packet named by two
// slots is visited twice.
struct PacketVisit {
    std::uint32_t subGroup = 0;
    std::exception_ptr slotError;            // a damaged group or slot: the run ends here
    std::shared_future<SharedBlocks> opened; // set when the packet is opened ahead
    SharedBlocks blocks;                     // held during the visit's turn
    bool extracted = false;                  // its files are in "Temp"
    std::vector<AtlasStep> atlases;
};

// Runs the atlas stage. Everything that touches the console or a file
// happens on the calling thread, in the order of a run with one job: the
// packet lines, the "Temp" files, each atlas's lines, its PNG file and the
// removal of its extracted copy. With several jobs, the work that touches
// nothing -- inflating a packet's blocks, decoding an atlas and encoding its
// PNG in memory -- is done ahead on other threads, across packet borders,
// but never past an atlas that needs the user's answer or stops the run, and
// at most one packet ahead of the one being reported, to bound the memory.
class AtlasStage {
public:
    AtlasStage(Console& console, const AtlasOutputSettings& settings, const TextureFormatIndex& formats,
               ByteSpan package, const PackageRecords& records)
        : console_(console), settings_(settings), formats_(formats), package_(package), records_(records),
          jobs_(std::max(1U, settings.jobs)) {}

    bool run() {
        planVisits();
        bool allWritten = true;
        for (reportVisit_ = 0; reportVisit_ < visits_.size(); ++reportVisit_) {
            reportAtlas_ = 0;
            if (!reportVisit(visits_[reportVisit_])) {
                allWritten = false;
            }
        }
        return allWritten;
    }

private:
    void planVisits() {
        for (std::uint32_t g = 0; g < records_.groups.count(); ++g) {
            const CompositeGroup& group = records_.groups[g];
            if (group.subGroupCount > group.subGroups.count()) {
                failVisit(PackageFormatError("group " + std::to_string(g) + ": " +
                                             std::to_string(group.subGroupCount) +
                                             " subgroups named, a group holds at most " +
                                             std::to_string(group.subGroups.count())));
                return;
            }
            for (std::uint32_t slot = 0; slot < group.subGroupCount; ++slot) {
                const std::uint32_t k = group.subGroups[slot].subGroupIndex;
                if (k >= records_.subGroups.count() || k >= records_.packetHeaders.count() ||
                    k >= records_.packetFileLists.count()) {
                    failVisit(PackageFormatError("group " + std::to_string(g) + " slot " + std::to_string(slot) +
                                                 ": subgroup index " + std::to_string(k) +
                                                 " is beyond the subgroup list (" +
                                                 std::to_string(records_.subGroups.count()) + " subgroups)"));
                    return;
                }
                if (records_.subGroups[k].atlasCount != 0) {
                    planVisit(k);
                }
            }
        }
    }

    void failVisit(const PackageFormatError& error) {
        PacketVisit visit;
        visit.slotError = std::make_exception_ptr(error);
        visits_.push_back(std::move(visit));
    }

    void planVisit(std::uint32_t k) {
        const SubGroupInfo& info = records_.subGroups[k];
        const PacketFileList& files = records_.packetFileLists[k];
        PacketVisit visit;
        visit.subGroup = k;
        std::unordered_map<std::string, std::uint32_t> filesAtPath;
        for (const PacketFileEntry& file : files) {
            ++filesAtPath[sameFileKey(file.name.view())];
        }
        for (std::uint32_t e = 0; e < files.count(); ++e) {
            if (files[e].type != atlasFileType) {
                continue;
            }
            AtlasStep step;
            step.entry = e;
            const std::uint64_t number = std::uint64_t{info.firstTextureIndex} + files[e].atlasIndex;
            if (number < records_.textures.count()) {
                step.texture = &records_.textures[static_cast<std::uint32_t>(number)];
                step.format = findFormatEntry(formats_, step.texture->format);
            }
            step.fromExtractedFile = filesAtPath[sameFileKey(files[e].name.view())] > 1U;
            visit.atlases.push_back(std::move(step));
        }
        visits_.push_back(std::move(visit));
    }

    bool reportVisit(PacketVisit& visit) {
        if (visit.slotError) {
            std::rethrow_exception(visit.slotError);
        }
        const std::uint32_t k = visit.subGroup;
        const SubGroupInfo& info = records_.subGroups[k];
        const PacketFileList& files = records_.packetFileLists[k];
        console_.line("");
        console_.line("\tNow UnPack This PGSR Because it's Included Atlas Resource : " + std::string(nameText(info.name)));
        launchAhead();
        if (visit.opened.valid()) {
            waitLaunching(visit.opened);
            visit.blocks = visit.opened.get(); // rethrows the packet's error
        } else {
            visit.blocks = std::make_shared<const PacketBlocks>(openSubGroupPacket(package_, records_, k));
        }
        writeSubGroupPacket(PathList::fromText("Temp"), *visit.blocks, records_, k);
        visit.extracted = true;

        bool allWritten = true;
        for (reportAtlas_ = 1; reportAtlas_ <= visit.atlases.size(); ++reportAtlas_) {
            launchAhead();
            if (launchVisit_ > reportVisit_) {
                // Every atlas left in this packet is on its way and holds
                // what it needs of the packet's data: let the rest go.
                visit.blocks.reset();
                visit.opened = {};
            }
            AtlasStep& step = visit.atlases[reportAtlas_ - 1U];
            const PacketFileEntry& entry = files[step.entry];
            if (step.texture == nullptr) {
                (void)atlasTexture(records_, k, info, step.entry, entry); // throws the package error
            }
            console_.line("");
            console_.line("\t\t" + std::string(entry.name.view()));
            if (step.format == nullptr) {
                if (!skipUnlistedAtlas(console_, settings_, step.texture->format)) {
                    throw RunAborted({}, true);
                }
                continue;
            }
            console_.line("\t\t\tWidth : " + std::to_string(step.texture->width) + " , " + "Height : " +
                          std::to_string(step.texture->height) + " , " + "\tTextureFormat : " +
                          std::string(step.format->name.view()));
            PathList outputPath = underFolder(PathList::fromText("OutPut"), entry.name);
            outputPath.last().append(".png");
            DecodeOutcome outcome;
            if (step.fromExtractedFile) {
                outcome = decodeExtractedFile(entry, *step.texture, *step.format, outputPath, settings_.compression);
            } else {
                EncodedAtlas encoded;
                if (step.result.valid()) {
                    waitLaunching(step.result);
                    encoded = step.result.get();
                } else {
                    if (!visit.blocks) {
                        throw std::logic_error("an atlas left to encode in its turn lost its packet's data");
                    }
                    encoded = encodeAtlas(visit.blocks, entry, *step.texture, *step.format, settings_.compression);
                }
                outcome = writeAtlasImage(outputPath, encoded.png, std::move(encoded.outcome));
            }
            reportDecodeOutcome(console_, outcome);
            if (outcome.succeeded) {
                // The extracted copy has served its purpose; a failed atlas keeps it for inspection.
                (void)platform::removeFile(
                    std::string(underFolder(PathList::fromText("Temp"), entry.name).join().view()));
            } else {
                allWritten = false;
            }
        }
        visit.blocks.reset();
        visit.opened = {};
        return allWritten;
    }

    // Waits for work done ahead, starting more as threads come free.
    template <typename Future>
    void waitLaunching(const Future& future) {
        while (future.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
            launchAhead();
        }
    }

    // Starts work ahead of the reporting point while fewer than `jobs`
    // threads are busy. Steps are numbered per visit: 0 opens the packet,
    // n > 0 encodes its atlas n.
    void launchAhead() {
        if (jobs_ < 2) {
            return;
        }
        if (launchVisit_ < reportVisit_ || (launchVisit_ == reportVisit_ && launchAtlas_ < reportAtlas_)) {
            launchVisit_ = reportVisit_;
            launchAtlas_ = reportAtlas_;
        }
        while (running_.load() < jobs_ && launchVisit_ < visits_.size()) {
            PacketVisit& visit = visits_[launchVisit_];
            if (visit.slotError) {
                return; // the run ends there
            }
            if (launchAtlas_ == 0) {
                if (launchVisit_ > reportVisit_ + 1U) {
                    return; // one packet ahead at most
                }
                if (!visit.opened.valid() && !visit.blocks) {
                    ++running_;
                    visit.opened = std::async(std::launch::async, [this, k = visit.subGroup] {
                                       const RunningGuard guard(running_);
                                       return std::make_shared<const PacketBlocks>(
                                           openSubGroupPacket(package_, records_, k));
                                   }).share();
                }
                launchAtlas_ = 1;
                continue;
            }
            if (launchAtlas_ > visit.atlases.size()) {
                if (visit.extracted) {
                    // Every atlas of this packet is on its way and holds what
                    // it needs of the packet's data: let the rest go now,
                    // not when the reporting side next looks.
                    visit.blocks.reset();
                    visit.opened = {};
                }
                ++launchVisit_;
                launchAtlas_ = 0;
                continue;
            }
            SharedBlocks blocks = visit.blocks;
            if (!blocks) {
                if (!visit.opened.valid() ||
                    visit.opened.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
                    return; // the packet is still being opened
                }
                try {
                    blocks = visit.opened.get();
                } catch (const std::exception&) {
                    return; // the run ends at this packet's turn
                }
            }
            AtlasStep& step = visit.atlases[launchAtlas_ - 1U];
            if (step.texture == nullptr || (step.format == nullptr && !settings_.skipUnknown)) {
                return; // the run may stop here: nothing after it may be done first
            }
            if (step.format != nullptr && !step.fromExtractedFile) {
                ++running_;
                step.result = std::async(std::launch::async,
                                         [this, blocks, &entry = records_.packetFileLists[visit.subGroup][step.entry],
                                          texture = step.texture, format = step.format]() mutable {
                                             const RunningGuard guard(running_);
                                             return encodeAtlas(std::move(blocks), entry, *texture, *format, settings_.compression);
                                         });
            }
            ++launchAtlas_;
        }
    }

    // Counts a thread as free again however its work ends.
    class RunningGuard {
    public:
        explicit RunningGuard(std::atomic<unsigned>& running) : running_(running) {}
        RunningGuard(const RunningGuard&) = delete;
        RunningGuard& operator=(const RunningGuard&) = delete;
        ~RunningGuard() { --running_; }

    private:
        std::atomic<unsigned>& running_;
    };

    Console& console_;
    const AtlasOutputSettings& settings_;
    const TextureFormatIndex& formats_;
    ByteSpan package_;
    const PackageRecords& records_;
    const unsigned jobs_;
    std::atomic<unsigned> running_ {0};
    std::size_t reportVisit_ = 0;
    std::size_t reportAtlas_ = 0;
    std::size_t launchVisit_ = 0;
    std::size_t launchAtlas_ = 0;
    // Last, so that it goes first: its futures wait for the work in flight,
    // which uses the members above.
    std::vector<PacketVisit> visits_;
};

} // namespace

bool unpackAtlases(Console& console, const AtlasOutputSettings& settings, ByteSpan package,
                   const PackageRecords& records) {
    const TextureFormatIndex formats = loadTextureFormatIndex(console, settings.indexPath);
    AtlasStage stage(console, settings, formats, package, records);
    return stage.run();
}
