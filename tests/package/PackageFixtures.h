#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Bytes.h"
#include "platform/OutputFolder.h"
#include "core/PathList.h"
#include "package/PackageRecords.h"
#include "package/extractPacket.h"
#include "packagewriter/writePackage.h"

// Small packages shared by the reader and extraction tests.
namespace fixtures {

namespace pw = packagewriter;

inline std::vector<std::uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

// Extraction of one packet in one step, as the atlas stage does it in two.
inline void extractPacket(OutputFolder& folder, const PathList& base, ByteSpan package, const PackageRecords& records,
                          std::uint32_t subGroupIndex) {
    writeSubGroupPacket(folder, base, openSubGroupPacket(package, records, subGroupIndex), records, subGroupIndex);
}

// Three subgroups: one with resource and atlas files (the second and third
// groups both name it), one holding only resource files (atlasCount 0), one
// whose name fills all 128 bytes. 24-byte texture records.
inline pw::Package threeSubGroups() {
    pw::Package p;
    p.magic = 0x11111111;
    p.version = 0x22222222;
    p.reserved0C = 0x33333333;
    p.reserved6C = 0x44444444;
    p.textureRecordSize = 24;

    pw::SubGroup ui;
    ui.name = "UI_SCREEN";
    ui.compressionFlags = 3;
    ui.firstTextureIndex = 1;
    ui.infoWords = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    ui.packetMagic = 0x50505050;
    ui.packetVersion = 7;
    ui.packetReserved14 = 0x1414;
    ui.files = {
        {.path = "data/ui/layout.bin", .data = bytesOf("layout bytes")},
        {.path = "data/ui/strings.txt", .data = bytesOf("hello")},
        {.path = "images/ui/atlas_0.ptx", .type = pw::atlasFile, .data = bytesOf("ATLAS-ZERO"), .atlasIndex = 0,
         .width = 64, .height = 32},
        {.path = "images/ui/atlas_1.ptx", .type = pw::atlasFile, .data = bytesOf("ATLAS-ONE!!"), .atlasIndex = 1,
         .width = 128, .height = 16},
    };

    pw::SubGroup sounds;
    sounds.name = "SOUNDS";
    sounds.compressionFlags = 2;
    sounds.infoWords = {21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31};
    sounds.files = {{.path = "sounds\\click.wav", .data = bytesOf("RIFF....")}};

    pw::SubGroup longName;
    longName.name = std::string(128, 'L');
    longName.firstTextureIndex = 0;
    longName.files = {{.path = "images/big.ptx", .type = pw::atlasFile, .data = bytesOf("BIG"), .atlasIndex = 0,
                       .width = 8, .height = 8}};

    p.subGroups = {ui, sounds, longName};
    p.groups = {
        {.name = "Init", .slots = {{1, 100, 0x6E655F5F}}},
        {.name = "MainMenu", .slots = {{0, 200, 0x41414141}, {2, 201, 0}}},
        {.name = "Again", .slots = {{0, 300, 0x42424242}}},
    };
    p.pools = {{.name = "pool_a", .words = {5, 6, 7}}, {.name = "pool_b", .words = {8, 9, 10}}};
    p.textures = {
        {.width = 8, .height = 8, .format = 0, .reserved08 = 0xAAAA, .moreInfo0 = 1, .moreInfo1 = 2},
        {.width = 64, .height = 32, .format = 30, .reserved08 = 0xBBBB, .moreInfo0 = 3, .moreInfo1 = 4},
        {.width = 128, .height = 16, .format = 147, .reserved08 = 0xCCCC, .moreInfo0 = 5, .moreInfo1 = 6},
    };
    return p;
}

} // namespace fixtures
