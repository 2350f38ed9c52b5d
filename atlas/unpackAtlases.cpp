#include "atlas/unpackAtlases.h"

#include <algorithm>
#include <exception>
#include <future>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "atlas/AtlasPlan.h"
#include "atlas/GalleryRecorder.h"
#include "atlas/OrderedWorkPool.h"
#include "atlas/OutputBudget.h"
#include "atlas/decodeAtlasFile.h"
#include "atlas/reportDecodeOutcome.h"
#include "core/FatalError.h"
#include "core/printableName.h"
#include "core/withMemoryFor.h"
#include "description/loadTextureFormatIndex.h"
#include "package/PackageRange.h"
#include "package/extractPacket.h"
#include "package/writePacketFiles.h"
#include "platform/FileSystem.h"

namespace {

// `folder` followed by the components of a path inside a packet.
PathList underFolder(const PathList& folder, const StringBuffer& name) {
    PathList path;
    path.copyFrom(folder);
    path.appendSplit(name.view());
    return path;
}

std::string subGroupLabel(std::uint32_t index, const SubGroupInfo& info) {
    return "subgroup " + std::to_string(index) + " (" + printableName(nameText(info.name)) + ")";
}

// Asks whether to skip an atlas whose format code the index file does not
// list. True to skip; false to end the run (an answer of 0, or no answer).
bool skipUnlistedAtlas(Console& console, const AtlasOutputSettings& settings, std::uint32_t formatCode) {
    console.ownLine("\t\t\t\a UnKnown TextureFormat Index : " + std::to_string(formatCode));
    console.line("\t\t\t  pass this atlas ? input 1 to continue, or input 0 to exit");
    if (settings.skipUnknown) {
        return true;
    }
    return console.readInteger().value_or(0) != 0;
}

DecodeOutcome failedOutcome(const std::exception& error) {
    DecodeOutcome outcome;
    outcome.failureReason = error.what();
    return outcome;
}

// A packet's inflated blocks and the memory they hold against the pool's budget.
struct OpenedPacket {
    PacketBlocks blocks;
    MemoryCharge charge;
};
using SharedPacket = std::shared_ptr<const OpenedPacket>;

// An atlas decoded and encoded as PNG, waiting to be written in its turn.
struct EncodedAtlas {
    DecodeOutcome outcome;
    std::vector<std::uint8_t> png;
    std::vector<std::uint8_t> thumbnail; // the gallery's, when it is made
    MemoryCharge charge;
};

// Work on a visit done by the pool, reported in the visit's turn.
struct VisitWork {
    std::promise<SharedPacket> opened;
    std::future<SharedPacket> openedResult;             // valid when the pool opens the packet
    std::vector<std::promise<EncodedAtlas>> encoded;    // one per planned atlas
    std::vector<std::future<EncodedAtlas>> encodedResult;
    std::vector<std::optional<DecodeOutcome>> outcomes; // as reported, for visits that repeat this one
    std::vector<bool> copyLeftOut;                      // per atlas: its copy in "Temp" is not written yet
};

// Tasks are ordered by visit, then by step: step 0 opens the packet, step
// n > 0 encodes its atlas n.
constexpr std::uint64_t taskOrder(std::size_t visit, std::size_t step) {
    return (std::uint64_t {visit} << 32U) | step;
}

// Runs the atlas stage in three parts: the plan (every visit and atlas in run
// order, made before anything happens), the work (inflating packets and
// decoding and encoding atlases, on a fixed pool of threads, ahead of the
// reporting side and never past the point where the run ends for certain)
// and the report: the calling thread prints every line, writes every file
// and removes every extracted copy in run order, so that what a user sees is
// the same whatever the number of threads.
class AtlasStage {
public:
    AtlasStage(Console& console, OutputFolder& folder, const AtlasOutputSettings& settings,
               const TextureFormatIndex& formats, ByteSpan package, const PackageRecords& records)
        : console_(console), folder_(folder), settings_(settings), package_(package), records_(records),
          plan_(planAtlasStage(records, formats,
                               PlanChoices {settings.outputBudget, settings.extractAll, &settings.selection,
                                            !settings.keepExtracted, !settings.skipUnknown, settings.gallery, settings.outputSpent})),
          work_(plan_.visits.size()),
          cutoff_(firstCertainStop()) {
        std::uint64_t largestAtlasPixels = 0;
        for (std::size_t v = 0; v < plan_.visits.size(); ++v) {
            const PlannedVisit& visit = plan_.visits[v];
            VisitWork& work = work_[v];
            work.encoded.resize(visit.atlases.size());
            work.outcomes.resize(visit.atlases.size());
            work.copyLeftOut.resize(visit.atlases.size());
            for (const PlannedAtlas& atlas : visit.atlases) {
                largestAtlasPixels = std::max(largestAtlasPixels, atlas.pixelCharge);
            }
        }
        // Room for two atlases' pixels in flight beside the one being
        // reported, and for many small ones: enough to keep two threads busy,
        // and a bound that does not grow with the threads. The packets'
        // inflated blocks are charged apart, as resident (at most
        // OrderedWorkPool::maxResident packets at once), so that a packet
        // larger than this budget still has its atlases encoded side by side.
        const unsigned jobs = std::max(1U, settings.jobs);
        try {
            pool_ = std::make_unique<OrderedWorkPool>(jobs, 2U * largestAtlasPixels + poolBudgetBeyondPixels);
        } catch (const std::system_error& error) {
            throw RunAborted({std::string("Error: the system would not start a worker thread: ") + error.what()},
                             true);
        }
        if (pool_->threadCount() < jobs) {
            console_.line("\tJobs : " + std::to_string(pool_->threadCount()) + " of " + std::to_string(jobs) +
                          ", the system would not start more threads");
        }
        for (std::size_t v = 0; v < plan_.visits.size(); ++v) {
            if (plan_.visits[v].repeats || taskOrder(v, 0) >= cutoff_) {
                continue;
            }
            work_[v].openedResult = work_[v].opened.get_future();
            for (std::size_t a = 0; a < plan_.visits[v].atlases.size(); ++a) {
                if (poolEncodes(v, a)) {
                    work_[v].encodedResult.emplace_back(work_[v].encoded[a].get_future());
                } else {
                    work_[v].encodedResult.emplace_back();
                }
            }
            submitOpen(v);
        }
        if (settings.gallery) {
            gallery_.emplace(plan_, records_, folder.path());
        }
    }

    AtlasStage(const AtlasStage&) = delete;
    AtlasStage& operator=(const AtlasStage&) = delete;

    bool run() {
        bool allWritten = true;
        try {
            for (std::size_t v = 0; v < plan_.visits.size(); ++v) {
                if (!reportVisit(v)) {
                    allWritten = false;
                }
            }
        } catch (...) {
            writeGallery(std::current_exception());
            throw;
        }
        return writeGallery() && allWritten;
    }

private:
    // Writes "Gallery.html" when the run makes one; false, said on the
    // console, when it cannot be written.
    bool writeGallery() {
        if (!gallery_) {
            return true;
        }
        if (const auto reason = gallery_->writePage(folder_, "")) {
            console_.line("Cannot Write File : Gallery.html : " + *reason);
            return false;
        }
        return true;
    }
    // The same for a run that ends early with `end`; says nothing, as the
    // reason the run ends is the one to give.
    void writeGallery(const std::exception_ptr& end) noexcept {
        try {
            if (gallery_) {
                (void)gallery_->writePage(folder_, GalleryRecorder::whyTheRunEnded(end));
            }
        } catch (...) {
        }
    }

    static constexpr std::uint64_t poolBudgetBeyondPixels = std::uint64_t {32} << 20;

    // What encoding an atlas holds at most: its pixels and about half as much
    // again of PNG. An image that hardly compresses makes PNG data nearly as
    // large as its pixels, so such an atlas may hold about half its pixels'
    // bytes more than it is charged. Charging every atlas for that worst
    // case, which most never reach, left fewer atlases in flight: two jobs
    // ran 1.46 instead of about 1.8 times as fast as one.
    static std::uint64_t atlasCost(const PlannedAtlas& atlas) { return atlas.pixelCharge + atlas.pixelCharge / 2U; }

    // The order of the first task past which the run ends for certain.
    std::uint64_t firstCertainStop() const {
        for (std::size_t v = 0; v < plan_.visits.size(); ++v) {
            const PlannedVisit& visit = plan_.visits[v];
            if (visit.overBudget) {
                return taskOrder(v, 0);
            }
            for (std::size_t a = 0; a < visit.atlases.size(); ++a) {
                if (visit.atlases[a].overBudget) {
                    return taskOrder(v, a + 1U);
                }
            }
        }
        return taskOrder(plan_.visits.size(), 0);
    }

    bool poolEncodes(std::size_t v, std::size_t a) const {
        const PlannedAtlas& atlas = plan_.visits[v].atlases[a];
        return atlas.format != nullptr && taskOrder(v, a + 1U) < cutoff_;
    }

    std::uint64_t packetCost(std::uint32_t k) const {
        const PacketHeader& header = records_.packetHeaders[k];
        std::uint64_t cost = 0;
        if ((header.compressionFlags & compressResourceFlag) != 0) {
            cost += header.resourceDataSize;
        }
        if ((header.compressionFlags & compressAtlasFlag) != 0) {
            cost += header.atlasDataSize;
        }
        return cost;
    }

    void submitOpen(std::size_t v) {
        const std::uint32_t k = plan_.visits[v].subGroup;
        pool_->submitResident(taskOrder(v, 0), packetCost(k), [this, v, k](MemoryCharge charge) {
            VisitWork& work = work_[v];
            try {
                auto opened = std::make_shared<const OpenedPacket>(
                    OpenedPacket {openSubGroupPacket(package_, records_, k), std::move(charge)});
                for (std::size_t a = 0; a < plan_.visits[v].atlases.size(); ++a) {
                    if (poolEncodes(v, a)) {
                        submitEncode(v, a, opened);
                    }
                }
                work.opened.set_value(std::move(opened));
            } catch (...) {
                work.opened.set_exception(std::current_exception());
            }
        });
    }

    void submitEncode(std::size_t v, std::size_t a, SharedPacket packet) {
        const PlannedAtlas& atlas = plan_.visits[v].atlases[a];
        pool_->submit(taskOrder(v, a + 1U), atlasCost(atlas),
                      [this, v, a, packet = std::move(packet)](MemoryCharge charge) mutable {
                          EncodedAtlas encoded = encodeAtlas(plan_.visits[v], plan_.visits[v].atlases[a],
                                                             std::move(packet));
                          encoded.charge = std::move(charge);
                          encoded.charge.shrinkTo(encoded.png.size() + encoded.thumbnail.size());
                          work_[v].encoded[a].set_value(std::move(encoded));
                      });
    }

    // Decodes and encodes one atlas from its packet's blocks, which it lets
    // go once the pixels are decoded: the packet's inflated data need not
    // wait for the PNG encoding.
    EncodedAtlas encodeAtlas(const PlannedVisit& visit, const PlannedAtlas& atlas, SharedPacket packet) const {
        EncodedAtlas encoded;
        try {
            const PacketFileEntry& entry = records_.packetFileLists[visit.subGroup][atlas.entry];
            // The entry was checked against its block when the packet was opened.
            const ByteSpan source = packet->blocks.atlasData().subspan(entry.offset, entry.size);
            encoded.outcome =
                encodeAtlasImage(source, ImageSize {atlas.texture->width, atlas.texture->height}, atlas.pixelFormat,
                                 encoded.png, [&packet] { packet.reset(); }, settings_.compression,
                                 settings_.gallery ? &encoded.thumbnail : nullptr);
        } catch (const std::exception& error) {
            encoded.png.clear();
            encoded.outcome = failedOutcome(error);
        }
        return encoded;
    }

    SharedPacket awaitPacket(std::size_t v) {
        VisitWork& work = work_[v];
        if (!work.openedResult.valid()) {
            throw std::logic_error("a packet to extract was never opened");
        }
        pool_->awaiting(taskOrder(v, 0));
        return work.openedResult.get(); // rethrows the packet's error
    }

    bool reportVisit(std::size_t v) {
        const PlannedVisit& visit = plan_.visits[v];
        const std::uint32_t k = visit.subGroup;
        const SubGroupInfo& info = records_.subGroups[k];
        console_.line("");
        console_.line((visit.holdsAtlases ? "\tNow UnPack This PGSR Because it's Included Atlas Resource : "
                                          : "\tNow UnPack This PGSR : ") +
                      console_.packageName(nameText(info.name)));
        if (visit.repeats) {
            return replayVisit(v, *visit.repeats);
        }
        if (visit.overBudget) {
            // A file list that does not fit its blocks is a damaged package
            // before it is an expensive one.
            checkSubGroupPacketFiles(records_, k);
            passOutputBudget("Extracting the " + std::to_string(visit.extractCharge) + " bytes of files of " +
                           subGroupLabel(k, info),
                       plan_.budget);
        }
        bool allWritten = true;
        std::size_t a = 0;
        try {
            {
                const SharedPacket packet = awaitPacket(v);
                const PacketFileList& written =
                    visit.selectedFiles ? *visit.selectedFiles : records_.packetFileLists[k];
                std::vector<bool> mayLeaveOut(written.count(), false);
                for (const PlannedAtlas& atlas : visit.atlases) {
                    mayLeaveOut.at(atlas.listPosition) = atlas.copyOnlyOnFailure;
                }
                std::vector<bool> leftOut;
                try {
                    writePacketFiles(folder_, PathList::fromText("Temp"), packet->blocks.resourceData(),
                                     packet->blocks.atlasData(), written,
                                     recordLabel("subgroup", k, nameText(info.name)), mayLeaveOut, &leftOut);
                } catch (...) {
                    noteCopiesLeftOut(v, leftOut);
                    throw;
                }
                noteCopiesLeftOut(v, leftOut);
            }
            for (; a < visit.atlases.size(); ++a) {
                if (!reportAtlas(v, a)) {
                    allWritten = false;
                }
            }
        } catch (...) {
            // The run ends here: what "Temp" would have held, it holds.
            writeCopiesLeftOut(v, a, std::nothrow);
            throw;
        }
        return allWritten;
    }

    void noteCopiesLeftOut(std::size_t v, const std::vector<bool>& leftOut) {
        for (std::size_t a = 0; a < plan_.visits[v].atlases.size(); ++a) {
            const std::size_t position = plan_.visits[v].atlases[a].listPosition;
            work_[v].copyLeftOut[a] = position < leftOut.size() && leftOut[position];
        }
    }

    // Writes the copies in "Temp" of visit v's atlases from `first` on that
    // were left out, from the packet opened once more: an atlas that was not
    // written as a PNG keeps its copy, as do those the run never reached.
    void writeCopiesLeftOut(std::size_t v, std::size_t first, std::size_t end) {
        const std::uint32_t k = plan_.visits[v].subGroup;
        std::optional<PacketBlocks> blocks;
        for (std::size_t a = first; a < end; ++a) {
            if (!work_[v].copyLeftOut[a]) {
                continue;
            }
            if (!blocks) {
                blocks = openSubGroupPacket(package_, records_, k);
            }
            const PacketFileEntry& entry = records_.packetFileLists[k][plan_.visits[v].atlases[a].entry];
            const PathList path = underFolder(PathList::fromText("Temp"), entry.name);
            if (const auto reason = folder_.writeFile(path, blocks->atlasData().subspan(entry.offset, entry.size))) {
                throw RunAborted({"Cannot Write File : " + OutputFolder::shown(path) + " : " + *reason}, true);
            }
            work_[v].copyLeftOut[a] = false;
        }
    }
    void writeCopiesLeftOut(std::size_t v, std::size_t first, std::nothrow_t) noexcept {
        try {
            writeCopiesLeftOut(v, first, plan_.visits[v].atlases.size());
        } catch (...) {
            // The run is ending for another reason, which is the one to give.
        }
    }

    // Prints the atlas's name and size lines; false when the atlas is skipped.
    bool announceAtlas(const PlannedVisit& visit, const PlannedAtlas& atlas) {
        const PacketFileEntry& entry = records_.packetFileLists[visit.subGroup][atlas.entry];
        console_.line("");
        console_.line("\t\t" + console_.packageName(entry.name.view()));
        if (atlas.format == nullptr) {
            if (!skipUnlistedAtlas(console_, settings_, atlas.texture->format)) {
                throw ExitRequested();
            }
            return false;
        }
        console_.line("\t\t\tWidth : " + std::to_string(atlas.texture->width) + " , " + "Height : " +
                      std::to_string(atlas.texture->height) + " , " + "\tTextureFormat : " +
                      std::string(atlas.format->name.view()));
        return true;
    }

    bool reportAtlas(std::size_t v, std::size_t a) {
        const PlannedVisit& visit = plan_.visits[v];
        const PlannedAtlas& atlas = visit.atlases[a];
        const PacketFileEntry& entry = records_.packetFileLists[visit.subGroup][atlas.entry];
        if (atlas.overBudget) {
            passOutputBudget("Decoding the atlas " + printableName(entry.name.view()) + " of " +
                           subGroupLabel(visit.subGroup, records_.subGroups[visit.subGroup]) + " (" +
                           std::to_string(atlas.pixelCharge) + " bytes of pixels)",
                       plan_.budget);
        }
        if (!announceAtlas(visit, atlas)) {
            if (gallery_) {
                gallery_->skipped(v, a);
            }
            return true;
        }
        PathList outputPath = underFolder(PathList::fromText("OutPut"), entry.name);
        outputPath.last().append(".png");
        std::vector<std::uint8_t> thumbnail;
        DecodeOutcome outcome = writeEncoded(v, a, outputPath, thumbnail);
        reportDecodeOutcome(console_, outcome);
        if (gallery_) {
            gallery_->reported(console_, folder_, v, a, outcome, thumbnail);
        }
        if (!outcome.succeeded) {
            writeCopiesLeftOut(v, a, a + 1U);
        }
        work_[v].outcomes[a] = std::move(outcome);
        if (atlas.lastOfName && !settings_.keepExtracted) {
            removeDecodedCopies(v, a);
        }
        return work_[v].outcomes[a]->succeeded;
    }

    // Once the last atlas of visit v naming the same file as atlas `last` has
    // been handled, the extracted copy has served its purpose: it is removed
    // when every one of those atlases was written as a PNG, and kept for
    // inspection when one of them failed or was skipped.
    void removeDecodedCopies(std::size_t v, std::size_t last) {
        const std::vector<PlannedAtlas>& atlases = plan_.visits[v].atlases;
        const std::uint32_t first = atlases[last].firstOfName;
        for (std::size_t b = first; b <= last; ++b) {
            const std::optional<DecodeOutcome>& outcome = work_[v].outcomes[b];
            if (atlases[b].firstOfName == first && !(outcome && outcome->succeeded)) {
                return;
            }
        }
        for (std::size_t b = first; b <= last; ++b) {
            if (atlases[b].firstOfName == first) {
                const PacketFileEntry& entry = records_.packetFileLists[plan_.visits[v].subGroup][atlases[b].entry];
                (void)folder_.removeFile(underFolder(PathList::fromText("Temp"), entry.name));
            }
        }
    }

    DecodeOutcome writeEncoded(std::size_t v, std::size_t a, const PathList& outputPath,
                               std::vector<std::uint8_t>& thumbnail) {
        std::future<EncodedAtlas>& result = work_[v].encodedResult.at(a);
        if (!result.valid()) {
            throw std::logic_error("an atlas to write was never encoded");
        }
        pool_->awaiting(taskOrder(v, a + 1U));
        EncodedAtlas encoded = result.get();
        thumbnail = std::move(encoded.thumbnail);
        return writeAtlasImage(folder_, outputPath, encoded.png, std::move(encoded.outcome));
    }

    // A visit whose packet wrote the same files before, with nothing written
    // over them since: the same lines, from the outcomes reported then.
    bool replayVisit(std::size_t v, std::size_t earlier) {
        const PlannedVisit& visit = plan_.visits[v];
        bool allWritten = true;
        for (std::size_t a = 0; a < visit.atlases.size(); ++a) {
            if (gallery_) {
                gallery_->repeated(v, a, earlier);
            }
            if (!announceAtlas(visit, visit.atlases[a])) {
                continue;
            }
            const std::optional<DecodeOutcome>& outcome = work_[earlier].outcomes.at(a);
            if (!outcome) {
                throw std::logic_error("a repeated visit found no earlier outcome");
            }
            reportDecodeOutcome(console_, *outcome);
            allWritten = allWritten && outcome->succeeded;
            work_[v].outcomes[a] = outcome;
        }
        return allWritten;
    }

    Console& console_;
    OutputFolder& folder_;
    const AtlasOutputSettings& settings_;
    ByteSpan package_;
    const PackageRecords& records_;
    const AtlasPlan plan_;
    std::vector<VisitWork> work_;
    const std::uint64_t cutoff_;
    std::optional<GalleryRecorder> gallery_;
    // Last, so that it goes first: its threads use the members above.
    std::unique_ptr<OrderedWorkPool> pool_;
};

} // namespace

bool unpackAtlases(Console& console, OutputFolder& folder, const AtlasOutputSettings& settings, ByteSpan package,
                   const PackageRecords& records) {
    std::string indexPath;
    const TextureFormatIndex formats = withMemoryFor("the texture-format index file", [&] {
        return loadTextureFormatIndex(console, settings.indexPath, &indexPath);
    });
    if (settings.chosenIndexPath != nullptr) {
        *settings.chosenIndexPath = indexPath;
    }
    // Read once; the run must not replace it all the same.
    if (const std::optional<platform::FileIdentity> index = fileIdentityOfPath(indexPath)) {
        folder.protect(*index, "the index file being read");
    }
    const std::unique_ptr<AtlasStage> stage = withMemoryFor("the plan of the atlas output", [&] {
        return std::make_unique<AtlasStage>(console, folder, settings, formats, package, records);
    });
    return withMemoryFor("the atlas output", [&] { return stage->run(); });
}
