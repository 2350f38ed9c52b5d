#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/Bytes.h"
#include "core/Console.h"
#include "core/OutputFolder.h"
#include "package/PackageRecords.h"

struct AtlasOutputSettings {
    std::optional<std::string> indexPath; // the index file when the command line names it
    bool skipUnknown = false;             // answer "skip" to every unlisted format code
    unsigned jobs = 1;                    // worker threads that inflate, decode and encode
    std::uint64_t outputBudget = UINT64_MAX; // bytes extracted plus 4 per decoded pixel, at most
};

// Asks for the texture-format index file, then extracts every atlas-bearing
// packet into "Temp" and writes each of its atlases as a PNG under "OutPut",
// in the output folder `folder`. Returns false when an atlas failed (the
// run goes on with the next one). Fatal conditions leave by exception.
bool unpackAtlases(Console& console, OutputFolder& folder, const AtlasOutputSettings& settings, ByteSpan package,
                   const PackageRecords& records);
