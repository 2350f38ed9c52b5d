#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "atlas/AtlasPlan.h"
#include "atlas/decodeAtlasFile.h"
#include "gallery/GalleryPage.h"
#include "package/PackageRecords.h"
#include "platform/Console.h"
#include "platform/OutputFolder.h"

// The gallery of a run (--gallery): follows the atlas stage's report in run
// order, writes each written atlas's thumbnail under "Gallery" at the
// atlas's path in its turn, and at the end writes "Gallery.html" beside
// "Information.json", showing every planned atlas: written, failed, skipped
// or, when the run ended early, not reached.
class GalleryRecorder {
public:
    // Every atlas of the plan starts as not reached. The page is named after
    // the output folder, whose path is `folderPath`.
    GalleryRecorder(const AtlasPlan& plan, const PackageRecords& records, std::string_view folderPath);

    // Visit v's atlas a was reported with `outcome`. When it succeeded,
    // writes `thumbnail` (the thumbnail's PNG) under "Gallery"; a thumbnail
    // that cannot be written is said on the console, and its card shows the
    // atlas's PNG instead.
    void reported(Console& console, OutputFolder& folder, std::size_t v, std::size_t a, const DecodeOutcome& outcome,
                  std::span<const std::uint8_t> thumbnail);
    // Visit v's atlas a, of a format the index file does not list, was passed over.
    void skipped(std::size_t v, std::size_t a);
    // Visit v repeats visit `earlier`: its atlas a stands as that one's did.
    void repeated(std::size_t v, std::size_t a, std::size_t earlier);

    // Writes "Gallery.html". `endReason` says why the run ended early
    // (empty when it ran to its end). Nothing on success, else the reason.
    std::optional<std::string> writePage(OutputFolder& folder, std::string endReason);

    // What the page says of a run that `end` ended early: the lines of a
    // RunAborted joined, the message of another exception.
    static std::string whyTheRunEnded(const std::exception_ptr& end);

private:
    GalleryAtlas* atlasAt(std::size_t v, std::size_t a);

    const AtlasPlan& plan_;
    const PackageRecords& records_;
    GalleryPage page_;
    std::vector<std::optional<std::size_t>> sectionOf_; // per visit, its section (none: no atlases)
};
