#include "atlas/AtlasPlan.h"

#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "atlas/OutputBudget.h"
#include "core/FolderStep.h"
#include "core/PathList.h"
#include "description/findFormatEntry.h"
#include "package/PackageRange.h"
#include "package/PackageRules.h"
#include "package/selectPacketFiles.h"

namespace {

// Files of a packet whose names give the same key may be one file on disk:
// the key drops empty and "." components and ignores ASCII letter case, so
// it errs towards finding two names alike. Windows also folds the case of
// letters beyond ASCII: every run of bytes of 0x80 and above stands as one
// mark in the key, and the two such letters whose capitals are ASCII
// (dotless i, long s) as their ASCII letters.
std::string sameFileKey(std::string_view name) {
    std::string key;
    key.reserve(name.size() + 1U);
    PathList::forEachComponent(name, [&key](std::string_view part) {
        if (part.empty() || part == ".") {
            return;
        }
        key.push_back('/');
        bool inRun = false;
        for (std::size_t i = 0; i < part.size(); ++i) {
            const std::string_view rest = part.substr(i);
            const char c = part[i];
            if (rest.starts_with("\xC4\xB1") || rest.starts_with("\xC5\xBF")) {
                key.push_back(rest[0] == '\xC4' ? 'i' : 's');
                ++i;
                inRun = false;
            } else if (static_cast<unsigned char>(c) >= 0x80) {
                if (!inRun) {
                    key.push_back('\x80');
                }
                inRun = true;
            } else {
                key.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
                inRun = false;
            }
        }
    });
    return key;
}

class Planner {
public:
    Planner(const PackageRecords& records, const TextureFormatIndex& formats, const PlanChoices& choices)
        : records_(records), formats_(formats), choices_(choices) {
        plan_.budget = choices.budget;
        spent_ = std::min(choices.spent, choices.budget);
    }

    AtlasPlan run() {
        // readPackage has checked every slot in use against the subgroups.
        for (std::uint32_t g = 0; g < records_.groups.count(); ++g) {
            const CompositeGroup& group = records_.groups[g];
            for (std::uint32_t slot = 0; slot < group.subGroupCount; ++slot) {
                const std::uint32_t k = group.subGroups[slot].subGroupIndex;
                if (records_.subGroups[k].atlasCount != 0 || choices_.extractAll) {
                    planVisit(g, k);
                }
            }
        }
        return std::move(plan_);
    }

private:
    // A packet's files as the run sees them: each one's same-file key, and
    // whether the run works on it.
    struct PacketFiles {
        std::vector<std::string> keys;
        std::vector<bool> selected;
        std::uint32_t selectedCount = 0;
    };

    const PacketFiles& filesOf(std::uint32_t k) {
        auto [found, fresh] = files_.try_emplace(k);
        if (fresh) {
            for (const PacketFileEntry& file : records_.packetFileLists[k]) {
                const bool selected = choices_.selection == nullptr || choices_.selection->selects(file.name.view());
                found->second.keys.push_back(sameFileKey(file.name.view()));
                found->second.selected.push_back(selected);
                found->second.selectedCount += selected ? 1U : 0U;
            }
        }
        return found->second;
    }

    // True when every file the packet writes still holds what its last visit
    // wrote: no other packet has written a file of the same key since.
    bool unchangedSinceLastVisit(std::uint32_t k) {
        const PacketFiles& files = filesOf(k);
        for (std::size_t e = 0; e < files.keys.size(); ++e) {
            if (!files.selected[e]) {
                continue;
            }
            const auto writer = lastWriter_.find(files.keys[e]);
            if (writer == lastWriter_.end() || writer->second != k) {
                return false;
            }
        }
        return true;
    }

    void planVisit(std::uint32_t g, std::uint32_t k) {
        const PacketFiles& selection = filesOf(k);
        const PacketFileList& files = records_.packetFileLists[k];
        if (choices_.selection != nullptr && !choices_.selection->selectsEverything() && selection.selectedCount == 0) {
            return; // nothing of it is worked on: no visit, no line
        }
        PlannedVisit visit;
        visit.group = g;
        visit.subGroup = k;
        visit.holdsAtlases = records_.subGroups[k].atlasCount != 0;
        const auto earlier = lastVisit_.find(k);
        if (earlier != lastVisit_.end() && unchangedSinceLastVisit(k)) {
            visit.repeats = earlier->second;
        }
        if (!visit.repeats && selection.selectedCount != files.count()) {
            visit.selectedFiles = selectPacketFiles(files, *choices_.selection); // only a visit that writes needs it
        }
        const SubGroupInfo& info = records_.subGroups[k];
        const std::vector<std::string>& keys = selection.keys;
        std::unordered_map<std::string_view, std::uint32_t> filesAtKey;
        for (std::uint32_t e = 0; e < files.count(); ++e) {
            if (selection.selected[e]) {
                visit.extractCharge += visit.repeats ? 0U : files[e].size;
                ++filesAtKey[keys[e]];
                if (!visit.repeats) {
                    lastWriter_[keys[e]] = k;
                }
            }
        }
        if (!visit.repeats) {
            visit.overBudget = !charge(visit.extractCharge);
        }
        std::unordered_map<std::string_view, std::uint32_t> firstAtlasAtKey; // index in visit.atlases
        std::uint32_t written = 0; // selected files so far
        for (std::uint32_t e = 0; e < files.count(); ++e) {
            const std::uint32_t position = visit.selectedFiles ? written : e; // in the list the visit writes
            written += selection.selected[e] ? 1U : 0U;
            if (files[e].type != atlasFileType || !visit.holdsAtlases || !selection.selected[e]) {
                continue;
            }
            PlannedAtlas atlas;
            atlas.entry = e;
            atlas.texture = &atlasTexture(records_.textures, info.firstTextureIndex, files[e],
                                          recordLabel("subgroup", k, nameText(info.name)) + ": " +
                                              recordLabel("file", e, files[e].name.view()));
            atlas.format = findFormatEntry(formats_, atlas.texture->format);
            atlas.sharesItsName = filesAtKey[keys[e]] > 1U;
            atlas.firstOfName =
                firstAtlasAtKey.try_emplace(keys[e], static_cast<std::uint32_t>(visit.atlases.size())).first->second;
            if (atlas.format != nullptr) {
                atlas.pixelFormat = pixelFormatNamed(atlas.format->name.view());
            }
            if (atlas.format != nullptr && !visit.repeats) {
                const ImageSize recordSize {atlas.texture->width, atlas.texture->height};
                atlas.pixelCharge = atlasPixelCharge(recordSize, atlas.pixelFormat);
                if (choices_.thumbnails) {
                    atlas.pixelCharge += thumbnailPixelCharge(recordSize, atlas.pixelFormat);
                }
                atlas.overBudget = !charge(atlas.pixelCharge);
            }
            atlas.listPosition = position;
            visit.atlases.push_back(atlas);
        }
        std::unordered_set<std::string_view> namedLater;
        for (auto atlas = visit.atlases.rbegin(); atlas != visit.atlases.rend(); ++atlas) {
            atlas->lastOfName = namedLater.insert(keys[atlas->entry]).second;
        }
        markCopiesOnlyOnFailure(visit, selection);
        lastVisit_[k] = plan_.visits.size();
        plan_.visits.push_back(std::move(visit));
    }

    // An atlas decoded from memory is read from its copy in "Temp" by
    // nothing, and the copy is removed once the PNG is written, so the copy
    // need not be written unless the decoding fails. That holds only where
    // the visit is sure to run to its end (no stop for the budget or at the
    // prompt in the middle of it, which would leave the copies of the
    // atlases after it in "Temp") and where no later file of the
    // visit goes below the atlas's name, which the copy would stand in the
    // way of.
    void markCopiesOnlyOnFailure(PlannedVisit& visit, const PacketFiles& files) const {
        if (!choices_.removeDecodedCopies || visit.repeats || visit.overBudget || visit.atlases.empty()) {
            return;
        }
        for (const PlannedAtlas& atlas : visit.atlases) {
            if (atlas.overBudget || (atlas.format == nullptr && choices_.mayStopAtUnlisted)) {
                return;
            }
        }
        // For each folder key, the last selected file below it. Folders are
        // numbered as they are met, one component at a time (FolderStep).
        constexpr std::uint32_t top = 0;
        constexpr std::uint32_t none = 0xFFFFFFFFU;
        std::unordered_map<FolderStep, std::uint32_t, FolderStepHash> folders; // -> number
        std::vector<std::uint32_t> lastBelow {none};                             // by folder number
        const auto folderNamed = [&](std::uint32_t parent, std::string_view name) {
            const auto [found, fresh] =
                folders.try_emplace(FolderStep {parent, name}, static_cast<std::uint32_t>(lastBelow.size()));
            if (fresh) {
                lastBelow.push_back(none);
            }
            return found->second;
        };
        // The number of each file's own key, as a folder's.
        std::vector<std::uint32_t> keyNumber(files.keys.size(), none);
        for (std::uint32_t e = 0; e < files.keys.size(); ++e) {
            if (!files.selected[e]) {
                continue;
            }
            // Keys start with '/' and have a '/' before every component.
            const std::string_view key = files.keys[e];
            if (key.empty()) {
                continue; // no component: no folder, and nothing below it
            }
            std::uint32_t folder = top;
            std::size_t start = 1;
            for (std::size_t slash = key.find('/', start); slash != std::string_view::npos;
                 slash = key.find('/', start)) {
                folder = folderNamed(folder, key.substr(start, slash - start));
                lastBelow[folder] = e;
                start = slash + 1U;
            }
            keyNumber[e] = folderNamed(folder, key.substr(start));
        }
        for (PlannedAtlas& atlas : visit.atlases) {
            const std::uint32_t number = keyNumber[atlas.entry];
            const std::uint32_t below = number == none ? none : lastBelow[number];
            atlas.copyOnlyOnFailure = atlas.format != nullptr && !atlas.sharesItsName &&
                                      (below == none || below < atlas.entry);
        }
    }

    // Adds to the run's total; false once it has passed the budget.
    bool charge(std::uint64_t bytes) {
        if (overspent_ || bytes > plan_.budget - spent_) {
            overspent_ = true;
            return false;
        }
        spent_ += bytes;
        return true;
    }

    const PackageRecords& records_;
    const TextureFormatIndex& formats_;
    const PlanChoices& choices_;
    AtlasPlan plan_;
    std::uint64_t spent_ = 0; // never above the budget
    bool overspent_ = false;
    std::unordered_map<std::uint32_t, PacketFiles> files_;
    std::unordered_map<std::string, std::uint32_t> lastWriter_;
    std::unordered_map<std::uint32_t, std::size_t> lastVisit_;
};

} // namespace

AtlasPlan planAtlasStage(const PackageRecords& records, const TextureFormatIndex& formats, const PlanChoices& choices) {
    return Planner(records, formats, choices).run();
}
