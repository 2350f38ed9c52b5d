#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/FatalError.h"
#include "package/readPackage.h"

namespace {

// A bare 112-byte header: every count and table size 0.
std::vector<std::uint8_t> bareHeader(std::uint32_t textureRecordSize) {
    std::vector<std::uint8_t> bytes(112, 0);
    bytes[92] = static_cast<std::uint8_t>(textureRecordSize);
    return bytes;
}

TEST(ReadPackageHeader, AllCountsZeroGiveEmptyListsAndTheLayoutFlag) {
    for (const std::uint32_t size : {16U, 24U}) {
        PackageRecords records;
        records.textures.append(); // stale output is replaced
        readPackage(bareHeader(size), records);
        EXPECT_EQ(records.useMoreAtlasInfo, size == 24);
        EXPECT_EQ(records.header.textureInfoEntrySize, size);
        EXPECT_EQ(records.groups.count() + records.subGroups.count() + records.pools.count() +
                      records.textures.count() + records.moreAtlasInfo.count() + records.packetHeaders.count() +
                      records.packetFileLists.count() + records.groupNames.count() +
                      records.subGroupNames.count() + records.fileNames.count(),
                  0U);
    }
}

TEST(ReadPackageHeader, UnknownTextureRecordSizeOrShortHeaderIsAFormatError) {
    const struct {
        std::vector<std::uint8_t> package;
        const char* reasonPart;
    } cases[] = {
        {bareHeader(20), "texture records are 20 bytes long"},
        {bareHeader(0), "texture records are 0 bytes long"},
        {std::vector<std::uint8_t>(111, 0), "shorter than its 112-byte header"},
        {{}, "the package is 0 bytes"},
    };
    for (const auto& c : cases) {
        PackageRecords records;
        try {
            readPackage(c.package, records);
            ADD_FAILURE() << "no error, expected: " << c.reasonPart;
        } catch (const PackageFormatError& error) {
            EXPECT_NE(std::string(error.what()).find(c.reasonPart), std::string::npos) << error.what();
        }
    }
}

} // namespace
