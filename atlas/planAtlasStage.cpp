#include "atlas/AtlasPlan.h"

#include <string_view>
#include <unordered_map>

#include "atlas/OutputBudget.h"
#include "core/PathList.h"
#include "description/findFormatEntry.h"

namespace {

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

class Planner {
public:
    Planner(const PackageRecords& records, const TextureFormatIndex& formats, std::uint64_t budget)
        : records_(records), formats_(formats) {
        plan_.budget = budget;
    }

    AtlasPlan run() {
        for (std::uint32_t g = 0; g < records_.groups.count(); ++g) {
            const CompositeGroup& group = records_.groups[g];
            if (group.subGroupCount > group.subGroups.count()) {
                endWith("group " + std::to_string(g) + ": " + std::to_string(group.subGroupCount) +
                        " subgroups named, a group holds at most " + std::to_string(group.subGroups.count()));
                break;
            }
            if (!planGroup(g, group)) {
                break;
            }
        }
        return std::move(plan_);
    }

private:
    // False when the run ends in this group.
    bool planGroup(std::uint32_t g, const CompositeGroup& group) {
        for (std::uint32_t slot = 0; slot < group.subGroupCount; ++slot) {
            const std::uint32_t k = group.subGroups[slot].subGroupIndex;
            if (k >= records_.subGroups.count() || k >= records_.packetHeaders.count() ||
                k >= records_.packetFileLists.count()) {
                endWith("group " + std::to_string(g) + " slot " + std::to_string(slot) + ": subgroup index " +
                        std::to_string(k) + " is beyond the subgroup list (" +
                        std::to_string(records_.subGroups.count()) + " subgroups)");
                return false;
            }
            if (records_.subGroups[k].atlasCount != 0) {
                planVisit(k);
            }
        }
        return true;
    }

    void endWith(std::string reason) {
        PlannedVisit visit;
        visit.slotError = std::move(reason);
        plan_.visits.push_back(std::move(visit));
    }

    const std::vector<std::string>& keysOf(std::uint32_t k) {
        auto [found, fresh] = keys_.try_emplace(k);
        if (fresh) {
            for (const PacketFileEntry& file : records_.packetFileLists[k]) {
                found->second.push_back(sameFileKey(file.name.view()));
            }
        }
        return found->second;
    }

    // True when every file the packet writes still holds what its last visit
    // wrote: no other packet has written a file of the same key since.
    bool unchangedSinceLastVisit(std::uint32_t k) {
        for (const std::string& key : keysOf(k)) {
            const auto writer = lastWriter_.find(key);
            if (writer == lastWriter_.end() || writer->second != k) {
                return false;
            }
        }
        return true;
    }

    void planVisit(std::uint32_t k) {
        PlannedVisit visit;
        visit.subGroup = k;
        const auto earlier = lastVisit_.find(k);
        if (earlier != lastVisit_.end() && unchangedSinceLastVisit(k)) {
            visit.repeats = earlier->second;
        }
        const SubGroupInfo& info = records_.subGroups[k];
        const PacketFileList& files = records_.packetFileLists[k];
        if (!visit.repeats) {
            for (const PacketFileEntry& file : files) {
                visit.extractCharge += file.size;
            }
            visit.overBudget = !charge(visit.extractCharge);
            for (const std::string& key : keysOf(k)) {
                lastWriter_[key] = k;
            }
        }
        std::unordered_map<std::string_view, std::uint32_t> filesAtKey;
        const std::vector<std::string>& keys = keysOf(k);
        for (const std::string& key : keys) {
            ++filesAtKey[key];
        }
        for (std::uint32_t e = 0; e < files.count(); ++e) {
            if (files[e].type != atlasFileType) {
                continue;
            }
            PlannedAtlas atlas;
            atlas.entry = e;
            const std::uint64_t number = std::uint64_t {info.firstTextureIndex} + files[e].atlasIndex;
            if (number < records_.textures.count()) {
                atlas.texture = &records_.textures[static_cast<std::uint32_t>(number)];
                atlas.format = findFormatEntry(formats_, atlas.texture->format);
            }
            atlas.fromExtractedFile = filesAtKey[keys[e]] > 1U;
            if (atlas.format != nullptr && !visit.repeats) {
                atlas.pixelCharge =
                    atlasPixelCharge(ImageSize {atlas.texture->width, atlas.texture->height}, *atlas.format);
                atlas.overBudget = !charge(atlas.pixelCharge);
            }
            visit.atlases.push_back(atlas);
        }
        lastVisit_[k] = plan_.visits.size();
        plan_.visits.push_back(std::move(visit));
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
    AtlasPlan plan_;
    std::uint64_t spent_ = 0; // never above the budget
    bool overspent_ = false;
    std::unordered_map<std::uint32_t, std::vector<std::string>> keys_;
    std::unordered_map<std::string, std::uint32_t> lastWriter_;
    std::unordered_map<std::uint32_t, std::size_t> lastVisit_;
};

} // namespace

AtlasPlan planAtlasStage(const PackageRecords& records, const TextureFormatIndex& formats, std::uint64_t budget) {
    return Planner(records, formats, budget).run();
}
