#pragma once

#include <optional>
#include <string>

#include "atlas/encodePng.h"
#include "core/Bytes.h"
#include "core/Console.h"
#include "package/PackageRecords.h"

struct AtlasOutputSettings {
    std::optional<std::string> indexPath; // the index file when the command line names it
    bool skipUnknown = false;             // answer "skip" to every unlisted format code
    unsigned jobs = 1;                    // atlases decoded at the same time
    PngCompression compression = PngCompression::standard; // the PNG encoder's settings
};

// Asks for the texture-format index file, then extracts every atlas-bearing
// packet into "Temp" and writes each of its atlases as a PNG under "OutPut",
// relative to the current directory. Returns false when an atlas failed (the
// run goes on with the next one). Fatal conditions leave by exception.
bool unpackAtlases(Console& console, const AtlasOutputSettings& settings, ByteSpan package,
                   const PackageRecords& records);
