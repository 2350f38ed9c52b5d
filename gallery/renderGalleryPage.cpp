#include "gallery/renderGalleryPage.h"

#include <array>
#include <cstdio>
#include <string_view>

#include "gallery/escapeForPage.h"
#include "gallery/fillTemplate.h"
#include "gallery/galleryFiles.h"

namespace {

// A path relative to the page: each component percent-encoded, '/' between.
std::string relativeUrl(const std::vector<std::string>& components) {
    std::string url;
    for (const std::string& component : components) {
        if (!url.empty()) {
            url += '/';
        }
        url += percentEncodeComponent(component);
    }
    return url;
}

std::string byteSize(std::uint64_t bytes) {
    if (bytes < 1024U) {
        return std::to_string(bytes) + " B";
    }
    static constexpr std::array<const char*, 4> units {"KiB", "MiB", "GiB", "TiB"};
    double value = static_cast<double>(bytes) / 1024.0;
    std::size_t unit = 0;
    while (value >= 1024.0 && unit + 1U < units.size()) {
        value /= 1024.0;
        ++unit;
    }
    std::array<char, 32> text {};
    std::snprintf(text.data(), text.size(), value < 10.0 ? "%.1f %s" : "%.0f %s", value, units[unit]);
    return text.data();
}

std::string plural(std::size_t count, std::string_view one, std::string_view many) {
    return std::to_string(count) + " " + std::string(count == 1U ? one : many);
}

struct Tally {
    std::size_t written = 0;
    std::size_t failed = 0;
    std::size_t skipped = 0;
    std::size_t notReached = 0;

    void add(AtlasState state) {
        switch (state) {
        case AtlasState::written: ++written; break;
        case AtlasState::failed: ++failed; break;
        case AtlasState::skipped: ++skipped; break;
        case AtlasState::notReached: ++notReached; break;
        }
    }
    std::size_t total() const { return written + failed + skipped + notReached; }

    std::string text() const {
        std::string line = plural(total(), "atlas", "atlases") + ": " + std::to_string(written) + " written";
        if (failed != 0) {
            line += ", " + std::to_string(failed) + " failed";
        }
        if (skipped != 0) {
            line += ", " + std::to_string(skipped) + " skipped";
        }
        if (notReached != 0) {
            line += ", " + std::to_string(notReached) + " not reached";
        }
        return line;
    }
};

std::string sizeText(const GalleryAtlas& atlas) {
    return std::to_string(atlas.width) + " × " + std::to_string(atlas.height);
}

void renderWrittenCard(std::string& out, const GalleryAtlas& atlas, std::size_t index, std::string& data) {
    const std::string url = relativeUrl(atlas.pngPath);
    const bool hasThumbnail = !atlas.thumbnailPath.empty();
    const std::string thumbnail = hasThumbnail ? relativeUrl(atlas.thumbnailPath) : url;
    const std::string shown = displayName(atlas.name);
    const std::string bytes = byteSize(atlas.pngBytes);
    fillTemplate(out, galleryFiles::card,
                 {{"href", escapeHtmlAttribute(url)},
                  {"index", std::to_string(index)},
                  {"thumbnail", escapeHtmlAttribute(thumbnail)},
                  {"thumbnailWidth", std::to_string(hasThumbnail ? atlas.thumbnailWidth : atlas.width)},
                  {"thumbnailHeight", std::to_string(hasThumbnail ? atlas.thumbnailHeight : atlas.height)},
                  {"name", escapeHtmlText(shown)},
                  {"width", std::to_string(atlas.width)},
                  {"height", std::to_string(atlas.height)},
                  {"format", escapeHtmlText(displayName(atlas.formatName))},
                  {"bytes", escapeHtmlText(bytes)}});
    if (index != 0) {
        data += ",\n";
    }
    data += "{\"n\":" + escapeJsonInScript(shown) + ",\"u\":" + escapeJsonInScript(url) +
            ",\"w\":" + std::to_string(atlas.width) + ",\"h\":" + std::to_string(atlas.height) +
            ",\"f\":" + escapeJsonInScript(displayName(atlas.formatName)) + ",\"b\":" + escapeJsonInScript(bytes) + "}";
}

void renderMissingCard(std::string& out, const GalleryAtlas& atlas) {
    std::string_view state;
    std::string_view stateClass;
    switch (atlas.state) {
    case AtlasState::failed:
        state = "DeCode Failed";
        stateClass = "failed";
        break;
    case AtlasState::skipped:
        state = "Skipped";
        stateClass = "skipped";
        break;
    default:
        state = "Not reached";
        stateClass = "unreached";
        break;
    }
    std::string details;
    if (atlas.width != 0 || atlas.height != 0) {
        details = sizeText(atlas);
    }
    if (!atlas.formatName.empty()) {
        details += (details.empty() ? "" : " · ") + displayName(atlas.formatName);
    }
    fillTemplate(out, galleryFiles::missingCard,
                 {{"stateClass", stateClass},
                  {"state", state},
                  {"name", escapeHtmlText(displayName(atlas.name))},
                  {"details", escapeHtmlText(details)},
                  {"reason", escapeHtmlText(displayName(atlas.reason))}});
}

} // namespace

std::string renderGalleryPage(const GalleryPage& page) {
    std::string sections;
    std::string data = "[";
    std::size_t index = 0;
    Tally all;
    for (const GallerySection& section : page.sections) {
        std::string cards;
        Tally tally;
        for (const GalleryAtlas& atlas : section.atlases) {
            tally.add(atlas.state);
            all.add(atlas.state);
            if (atlas.state == AtlasState::written) {
                renderWrittenCard(cards, atlas, index++, data);
            } else {
                renderMissingCard(cards, atlas);
            }
        }
        fillTemplate(sections, galleryFiles::section,
                     {{"group", escapeHtmlText(displayName(section.groupName))},
                      {"subgroup", escapeHtmlText(displayName(section.subGroupName))},
                      {"tally", escapeHtmlText(tally.text())},
                      {"cards", cards}});
    }
    data += "]";
    std::string summary = all.text() + " in " + plural(page.sections.size(), "packet", "packets");
    if (!page.endReason.empty()) {
        summary += ". The run ended early: " + displayName(page.endReason);
    }
    // The program's own text: base64 hashes and keywords, no '"' or '&' to escape.
    const std::string csp = "default-src 'none'; img-src 'self' file:; style-src 'sha256-" +
                            std::string(galleryFiles::styleSha256) + "'; script-src 'sha256-" +
                            std::string(galleryFiles::scriptSha256) + "'; base-uri 'none'; form-action 'none'";
    std::string out;
    out.reserve(galleryFiles::page.size() + galleryFiles::style.size() + galleryFiles::script.size() +
                sections.size() + data.size());
    fillTemplate(out, galleryFiles::page,
                 {{"csp", csp},
                  {"title", escapeHtmlText("Gallery of " + displayName(page.title))},
                  {"style", galleryFiles::style},
                  {"script", galleryFiles::script},
                  {"summary", escapeHtmlText(summary)},
                  {"total", std::to_string(all.total())},
                  {"sections", sections},
                  {"data", data}});
    return out;
}
