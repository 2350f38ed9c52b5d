#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "packagewriter/PackagePlan.h"

// The shape of a generated package that looks like a game's: groups of
// packets, some holding several atlases in all nine decodable formats plus
// resource files, most holding only resources, with stored and compressed
// blocks in every combination.
struct BenchShape {
    std::uint32_t atlasPackets = 34;
    std::uint32_t atlasesPerPacket = 3;  // the count varies by one around it
    std::uint32_t resourcePackets = 266;
    std::uint32_t resourceFilesPerPacket = 6;
    std::uint32_t resourceFileBytes = 96 * 1024; // average; the sizes vary
    std::vector<std::uint32_t> sides = {512, 1024, 1024, 2048, 2048};
    std::uint64_t seed = 1;
    // Small-package extras that exercise the unusual paths: an atlas whose
    // format code the index does not list, one whose name has no decoder,
    // record sizes that the compressed formats pad, and a packet named by
    // two groups.
    bool oddCases = false;
};

// A few kilobytes of the same shape with the unusual cases, for tests.
BenchShape smallBenchShape();

// The plan of such a package.
packagewriter::Package makeBenchPlan(const BenchShape& shape);

// A package whose file lists and name table hold `fileCount` file names in
// nested folders, spread over atlas-bearing packets with one small atlas each,
// so that parsing, description and extraction all see every name.
packagewriter::Package makeNamesPlan(std::uint32_t fileCount);

// One packet of `atlasCount` atlases of `side` x `side` in `format` (a name
// of benchFormatIndex: "RGBA32", "RGB_ETC1", "RGBA_PVRTC4", ...), its atlas
// block compressed: the packets whose atlases --jobs must encode side by side.
packagewriter::Package makeWidePacketPlan(std::uint32_t atlasCount, std::uint32_t side, const std::string& format);

// A package of about `fillerBytes` of resource files in stored packets and
// one packet with one small atlas: the run reads little of it.
packagewriter::Package makeFillerPlan(std::uint64_t fillerBytes);

// `packetCount` packets of one small atlas each.
packagewriter::Package makeManyPacketsPlan(std::uint32_t packetCount);

// One packet of `fileCount` empty files and one small atlas, all `depth`
// folders deep ("d/d/.../d/fileN"), beside a small atlas at the top: the
// cost of deep paths, which should grow with the bytes of the names.
packagewriter::Package makeDeepPlan(std::uint32_t depth, std::uint32_t fileCount);

// The texture-format index file that maps the codes these plans use.
std::string benchFormatIndex();

// One painted picture of 2048 x 2048 in RGBA32: as one atlas, or cut into
// 1,024 atlases of 64 x 64 (`tiled`), in one packet, so that the fixed cost
// per atlas shows as the difference between the two.
packagewriter::Package makeTilesPlan(bool tiled);
