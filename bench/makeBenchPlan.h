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

// The texture-format index file that maps the codes these plans use.
std::string benchFormatIndex();

// One painted picture of 2048 x 2048 in RGBA32: as one atlas, or cut into
// 1,024 atlases of 64 x 64 (`tiled`), in one packet, so that the fixed cost
// per atlas shows as the difference between the two.
packagewriter::Package makeTilesPlan(bool tiled);
