#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "png/encodePng.h"
#include "core/Bytes.h"
#include "platform/Console.h"
#include "platform/OutputFolder.h"
#include "core/FileSelection.h"
#include "package/PackageRecords.h"

struct AtlasOutputSettings {
    std::optional<std::string> indexPath; // the index file when the command line names it
    bool skipUnknown = false;             // answer "skip" to every unlisted format code
    unsigned jobs = 1;                    // worker threads that inflate, decode and encode
    std::uint64_t outputBudget = UINT64_MAX; // bytes extracted plus 4 per decoded pixel, at most
    std::uint64_t outputSpent = 0;        // of the budget, taken before the atlas stage (the description)
    bool extractAll = false;              // also extract the packets that hold no atlases
    FileSelection selection;              // the files extracted and atlases decoded
    bool keepExtracted = false;           // a decoded atlas keeps its file under "Temp"
    PngCompression compression = PngCompression::standard; // the PNG encoder's settings
    std::string* chosenIndexPath = nullptr; // when set, receives the path the index file was read from
    bool gallery = false;                 // also write "Gallery.html" and the thumbnails under "Gallery"
};

// Asks for the texture-format index file, then extracts every atlas-bearing
// packet into "Temp" and writes each of its atlases as a PNG under "OutPut",
// in the output folder `folder`. Returns false when an atlas failed (the
// run goes on with the next one). Fatal conditions leave by exception; the
// answer 0 at the unlisted-format prompt throws ExitRequested.
// With `extractAll`, packets without atlases are extracted too, each after
// the line "\tNow UnPack This PGSR : " and its name. With a selection, only
// the selected files of a packet are extracted and only its selected atlases
// decoded; a packet none of whose files is selected is passed over without
// output. With `keepExtracted`, decoded atlases keep their extracted file.
// With `gallery`, each written atlas's thumbnail is written under "Gallery"
// in its turn, and "Gallery.html" at the end, also when the run ends early
// (see GalleryRecorder).
bool unpackAtlases(Console& console, OutputFolder& folder, const AtlasOutputSettings& settings, ByteSpan package,
                   const PackageRecords& records);
