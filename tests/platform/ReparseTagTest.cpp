#include <gtest/gtest.h>

#include <cstdint>

#include "platform/reparseTag.h"

namespace {

struct Tag {
    const char* name;
    std::uint32_t value; // as the Windows headers define it
    bool leadsElsewhere;
};

// Entries that name another entry are links; entries that only store their
// data another way (a package on a synced Desktop) are files and folders.
TEST(ReparseTag, OnlyNameSurrogatesCountAsLinks) {
    const Tag tags[] = {
        {"IO_REPARSE_TAG_SYMLINK", 0xA000000CU, true},
        {"IO_REPARSE_TAG_MOUNT_POINT", 0xA0000003U, true},
        {"IO_REPARSE_TAG_LX_SYMLINK", 0xA000001DU, true},
        {"IO_REPARSE_TAG_GLOBAL_REPARSE", 0xA0000019U, true},
        {"IO_REPARSE_TAG_IIS_CACHE", 0xA0000010U, true},
        {"no tag read", 0U, true},
        {"IO_REPARSE_TAG_CLOUD", 0x9000001AU, false},
        {"IO_REPARSE_TAG_CLOUD_1", 0x9000101AU, false},
        {"IO_REPARSE_TAG_CLOUD_3", 0x9000301AU, false},
        {"IO_REPARSE_TAG_CLOUD_F", 0x9000F01AU, false},
        {"IO_REPARSE_TAG_ONEDRIVE", 0x80000021U, false},
        {"IO_REPARSE_TAG_DEDUP", 0x80000013U, false},
        {"IO_REPARSE_TAG_WOF", 0x80000017U, false},
        {"IO_REPARSE_TAG_HSM", 0xC0000004U, false},
        {"IO_REPARSE_TAG_HSM2", 0x80000006U, false},
        {"IO_REPARSE_TAG_SIS", 0x80000007U, false},
        {"IO_REPARSE_TAG_NFS", 0x80000014U, false},
    };
    for (const Tag& tag : tags) {
        EXPECT_EQ(reparseTagLeadsElsewhere(tag.value), tag.leadsElsewhere) << tag.name;
    }
}

} // namespace
