#include "atlas/GalleryRecorder.h"

#include <algorithm>
#include <string_view>

#include "core/FatalError.h"

#include "gallery/makeThumbnail.h"
#include "gallery/renderGalleryPage.h"
#ifdef _WIN32
#include "platform/windowsName.h"
#endif

namespace {

// A packet path below `folder` with ".png" after its last component.
PathList pngPathBelow(std::string_view folder, const StringBuffer& name) {
    PathList path = PathList::fromText(folder);
    path.appendSplit(name.view());
    path.last().append(".png");
    return path;
}

// The components of `path` as the names of the files on the disk, which the
// page's links must name: the output folder passes over empty and "."
// components, and on Windows a name is the UTF-16 form of its bytes
// (windowsNameOf), which a URL gives as UTF-8.
std::vector<std::string> diskComponents(const PathList& path) {
    std::vector<std::string> components;
    for (const StringBuffer& component : path) {
        const std::string_view text = component.view();
        if (text.empty() || text == ".") {
            continue;
        }
#ifdef _WIN32
        components.push_back(utf8Of(windowsNameOf(text)));
#else
        components.emplace_back(text);
#endif
    }
    return components;
}

// The last name of a folder's path, for the page's title.
std::string folderName(std::string_view path) {
    while (path.size() > 1U && (path.back() == '/' || path.back() == '\\')) {
        path.remove_suffix(1);
    }
    const std::size_t cut = path.find_last_of("/\\");
    return std::string(cut == std::string_view::npos || path.size() == 1U ? path : path.substr(cut + 1U));
}

} // namespace

GalleryRecorder::GalleryRecorder(const AtlasPlan& plan, const PackageRecords& records, std::string_view folderPath)
    : plan_(plan), records_(records) {
    page_.title = folderName(folderPath);
    for (const PlannedVisit& visit : plan.visits) {
        if (visit.atlases.empty()) {
            sectionOf_.emplace_back();
            continue;
        }
        sectionOf_.emplace_back(page_.sections.size());
        GallerySection& section = page_.sections.emplace_back();
        section.groupName = nameText(records.groups[visit.group].name);
        section.subGroupName = nameText(records.subGroups[visit.subGroup].name);
        for (const PlannedAtlas& planned : visit.atlases) {
            GalleryAtlas& atlas = section.atlases.emplace_back();
            atlas.name = records.packetFileLists[visit.subGroup][planned.entry].name.view();
            atlas.width = planned.texture->width;
            atlas.height = planned.texture->height;
            if (planned.format != nullptr) {
                atlas.formatName = planned.format->name.view();
            }
        }
    }
}

GalleryAtlas* GalleryRecorder::atlasAt(std::size_t v, std::size_t a) {
    const std::optional<std::size_t> section = sectionOf_.at(v);
    return section ? &page_.sections[*section].atlases.at(a) : nullptr;
}

void GalleryRecorder::reported(Console& console, OutputFolder& folder, std::size_t v, std::size_t a,
                               const DecodeOutcome& outcome, std::span<const std::uint8_t> thumbnail) {
    GalleryAtlas* atlas = atlasAt(v, a);
    if (atlas == nullptr) {
        return;
    }
    if (outcome.width != 0 && outcome.height != 0) {
        atlas->width = outcome.width;
        atlas->height = outcome.height;
    }
    if (!outcome.succeeded) {
        atlas->state = AtlasState::failed;
        atlas->reason = outcome.failureReason;
        return;
    }
    const StringBuffer& name = records_.packetFileLists[plan_.visits[v].subGroup][plan_.visits[v].atlases[a].entry].name;
    atlas->state = AtlasState::written;
    atlas->pngBytes = outcome.pngBytes;
    atlas->pngPath = diskComponents(pngPathBelow("OutPut", name));
    const PathList thumbnailPath = pngPathBelow("Gallery", name);
    if (const auto reason = folder.writeFile(thumbnailPath, thumbnail)) {
        console.line("\t\t\tThumbnail : Cannot Write File : " + OutputFolder::shown(thumbnailPath) + " : " + *reason);
        return;
    }
    atlas->thumbnailPath = diskComponents(thumbnailPath);
    const ImageSize size = thumbnailSize(ImageSize {atlas->width, atlas->height});
    atlas->thumbnailWidth = size.width;
    atlas->thumbnailHeight = size.height;
}

void GalleryRecorder::skipped(std::size_t v, std::size_t a) {
    if (GalleryAtlas* atlas = atlasAt(v, a)) {
        atlas->state = AtlasState::skipped;
        atlas->reason = "format code " + std::to_string(plan_.visits[v].atlases[a].texture->format) +
                        " is not in the index file";
    }
}

void GalleryRecorder::repeated(std::size_t v, std::size_t a, std::size_t earlier) {
    GalleryAtlas* atlas = atlasAt(v, a);
    const GalleryAtlas* before = atlasAt(earlier, a);
    if (atlas != nullptr && before != nullptr) {
        *atlas = *before;
    }
}

std::optional<std::string> GalleryRecorder::writePage(OutputFolder& folder, std::string endReason) {
    for (GallerySection& section : page_.sections) {
        for (GalleryAtlas& atlas : section.atlases) {
            if (atlas.state == AtlasState::notReached) {
                atlas.reason = "the run ended before this atlas";
            }
        }
    }
    page_.endReason = std::move(endReason);
    const std::string html = renderGalleryPage(page_);
    const PathList path = PathList::fromText("Gallery.html");
    return folder.writeFile(path, std::span(reinterpret_cast<const std::uint8_t*>(html.data()), html.size()));
}

std::string GalleryRecorder::whyTheRunEnded(const std::exception_ptr& end) {
    try {
        std::rethrow_exception(end);
    } catch (const ExitRequested&) {
        return "the answer 0 at an unlisted format";
    } catch (const RunAborted& abort) {
        std::string reason;
        for (const std::string& line : abort.lines()) {
            reason += (reason.empty() ? "" : " ") + line.substr(std::min(line.find_first_not_of('\t'), line.size()));
        }
        return reason;
    } catch (const std::exception& error) {
        return error.what();
    } catch (...) {
        return "the run was ended";
    }
}
