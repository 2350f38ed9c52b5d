#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include "core/FatalError.h"
#include "package/openPacketBlocks.h"
#include "package/readPackage.h"
#include "package/writePacketFiles.h"
#include "support/RunBinary.h"
#include "support/SmallDisk.h"
#include "support/TempFolder.h"
#include "tests/package/PackageFixtures.h"

namespace {

namespace fs = std::filesystem;
namespace pw = packagewriter;
using fixtures::bytesOf;
using fixtures::extractPacket;

std::string fileText(const fs::path& path) {
    EXPECT_TRUE(fs::is_regular_file(path)) << path;
    return readFileText(path);
}

const PathList temp = PathList::fromText("Temp");

// One packet with resource and atlas files, nested folders, an empty file
// and files that end exactly at their block's end.
pw::SubGroup mixedPacket(std::uint32_t flags) {
    return {.name = "Mixed",
            .files = {{.path = "data/ui/layout.bin", .data = bytesOf("layout")},
                      {.path = "images/ui/a.ptx", .type = pw::atlasFile, .data = bytesOf("AAAA")},
                      {.path = "empty.txt", .data = {}},
                      {.path = "data\\deep\\er/last.bin", .data = bytesOf("last!")},
                      {.path = "images/b.ptx", .type = pw::atlasFile, .data = bytesOf("BBBBBB")}},
            .compressionFlags = flags};
}

struct Extracted {
    std::vector<std::uint8_t> bytes;
    PackageRecords records;
};

Extracted readOne(const pw::SubGroup& sub) {
    pw::Package plan;
    plan.subGroups = {sub};
    Extracted e{pw::writePackage(plan).bytes, {}};
    readPackage(e.bytes, e.records);
    return e;
}

class ExtractPacketFlags : public testing::TestWithParam<std::uint32_t> {};

TEST_P(ExtractPacketFlags, WritesEveryFileByteForByte) {
    const std::uint32_t flags = GetParam();
    TempFolder folder;
    OutputFolder out(".");
    const Extracted e = readOne(mixedPacket(flags));
    extractPacket(out, temp, e.bytes, e.records, 0);

    EXPECT_EQ(fs::current_path(), folder.path());
    EXPECT_EQ(fileText("Temp/data/ui/layout.bin"), "layout");
    EXPECT_EQ(fileText("Temp/images/ui/a.ptx"), "AAAA");
    EXPECT_TRUE(fs::is_regular_file("Temp/empty.txt"));
    EXPECT_EQ(fs::file_size("Temp/empty.txt"), 0U);
    EXPECT_EQ(fileText("Temp/data/deep/er/last.bin"), "last!");
    EXPECT_EQ(fileText("Temp/images/b.ptx"), "BBBBBB");
}

TEST_P(ExtractPacketFlags, StoredBlocksAreUsedInPlace) {
    const std::uint32_t flags = GetParam();
    const Extracted e = readOne(mixedPacket(flags));
    const PacketBlocks blocks = openPacketBlocks(e.bytes, e.records.subGroups[0].packetOffset,
                                                 e.records.packetHeaders[0], "packet");
    const auto insidePackage = [&](ByteSpan block) {
        return block.data() >= e.bytes.data() && block.data() + block.size() <= e.bytes.data() + e.bytes.size();
    };
    EXPECT_EQ(insidePackage(blocks.resourceData()), (flags & 2U) == 0);
    EXPECT_EQ(insidePackage(blocks.atlasData()), (flags & 1U) == 0);
    EXPECT_EQ(std::string(blocks.resourceData().begin(), blocks.resourceData().end()), "layoutlast!");
    EXPECT_EQ(std::string(blocks.atlasData().begin(), blocks.atlasData().end()), "AAAABBBBBB");
}

INSTANTIATE_TEST_SUITE_P(CompressionFlags, ExtractPacketFlags, testing::Values(0U, 1U, 2U, 3U));

struct DamagedCase {
    const char* what;
    std::function<void(pw::SubGroup&)> change;
    const char* reasonPart;
};

const DamagedCase damagedCases[] = {
    {"file one byte past its block", [](pw::SubGroup& s) { s.files[3].size = 6; },
     "file 3 (data\\deep\\er/last.bin): 6 bytes at offset 6 lie outside the 11-byte resource data"},
    {"file offset near 4 GiB", [](pw::SubGroup& s) { s.files[1].offset = 0xFFFFFFFF; },
     "file 1 (images/ui/a.ptx): 4 bytes at offset 4294967295 lie outside the 10-byte atlas data"},
    {"unknown file type", [](pw::SubGroup& s) { s.files[2].type = 2; }, "file 2 (empty.txt): type 2 is neither"},
    {"path with ..", [](pw::SubGroup& s) { s.files[4].path = "images/../../escape.ptx"; },
     "the path climbs out of the output folder"},
    {"path with .. after a backslash", [](pw::SubGroup& s) { s.files[4].path = "..\\escape.ptx"; },
     "the path climbs out of the output folder"},
    {"path from the root", [](pw::SubGroup& s) { s.files[4].path = "/tmp/escape.ptx"; },
     "the path starts at the root folder"},
    {"path from the root with a backslash", [](pw::SubGroup& s) { s.files[4].path = "\\escape.ptx"; },
     "the path starts at the root folder"},
    {"path ending in a separator", [](pw::SubGroup& s) { s.files[4].path = "images/"; }, "the path names no file"},
    {"empty path", [](pw::SubGroup& s) { s.files[4].path = ""; }, "the path names no file"},
    // Found by the list check, before any file of the packet is written.
    {"path ending in .", [](pw::SubGroup& s) { s.files[4].path = "sub/."; }, "the path has a component \".\""},
    {"path with . inside", [](pw::SubGroup& s) { s.files[4].path = "sub/./a.ptx"; }, "the path has a component \".\""},
    {"path ending in ..", [](pw::SubGroup& s) { s.files[4].path = "sub/.."; },
     "the path climbs out of the output folder"},
    {"path with an empty component", [](pw::SubGroup& s) { s.files[4].path = "sub//a.ptx"; },
     "the path has an empty component"},
    {"stored atlas block past the package end", [](pw::SubGroup& s) { s.overrides.atlasDataSize = 1U << 30U; },
     "atlas data at offset"},
    {"compressed resource block past the package end",
     [](pw::SubGroup& s) {
         s.compressionFlags = 2;
         s.overrides.resourceDataCompressedSize = 0xFFFFFFFF;
     },
     "resource data (compressed) at offset"},
    {"compressed block offset wrapping in 32 bits",
     [](pw::SubGroup& s) {
         s.compressionFlags = 1;
         s.overrides.atlasDataOffset = 0xFFFFFFF0;
     },
     "atlas data (compressed) at offset"},
    {"declared size beyond what zlib can inflate to",
     [](pw::SubGroup& s) {
         s.compressionFlags = 2;
         s.overrides.resourceDataSize = 0xFFFFFFF0;
     },
     "4294967280 bytes cannot inflate from"},
    {"damaged zlib stream",
     [](pw::SubGroup& s) {
         s.compressionFlags = 2;
         s.overrides.resourceBlock = std::vector<std::uint8_t>(11, 0x33);
     },
     "resource data: zlib cannot inflate it (data error)"},
    {"stream shorter than declared",
     [](pw::SubGroup& s) {
         s.compressionFlags = 1;
         s.overrides.atlasDataSize = 11;
     },
     "atlas data: inflates to 10 bytes, not the declared 11"},
    {"stream longer than declared",
     [](pw::SubGroup& s) {
         s.compressionFlags = 1;
         s.overrides.atlasDataSize = 9;
         s.files[4].size = 5;
     },
     "atlas data: zlib cannot inflate it (buffer error)"},
};

class ExtractDamagedPacket : public testing::TestWithParam<DamagedCase> {};

TEST_P(ExtractDamagedPacket, IsAFormatErrorAndWritesNothing) {
    const DamagedCase& c = GetParam();
    TempFolder folder;
    OutputFolder out(".");
    pw::SubGroup sub = mixedPacket(0);
    c.change(sub);
    const Extracted e = readOne(sub);
    try {
        extractPacket(out, temp, e.bytes, e.records, 0);
        ADD_FAILURE() << c.what << ": no error";
    } catch (const PackageFormatError& error) {
        const std::string reason = error.what();
        EXPECT_EQ(reason.rfind("subgroup 0 (Mixed): ", 0), 0U) << reason;
        EXPECT_NE(reason.find(c.reasonPart), std::string::npos) << c.what << ": " << reason;
    }
    EXPECT_FALSE(fs::exists("Temp")) << c.what;
    EXPECT_FALSE(fs::exists(folder.path().parent_path() / "escape.ptx"));
    EXPECT_EQ(fs::current_path(), folder.path());
}

INSTANTIATE_TEST_SUITE_P(Packets, ExtractDamagedPacket, testing::ValuesIn(damagedCases));

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
// A block that the stored bytes could inflate to but the machine cannot
// hold is a lack of memory, not damage: NotEnoughMemory (a std::bad_alloc)
// says what the memory was for. The child process gets 1 GiB of address
// space, so the 4 GiB block cannot be had. (The sanitizers reserve more
// address space than that, so they skip this.)
// Opens the packet's blocks with 1 GiB of address space and leaves with
// exit status 3 and the reason when that is NotEnoughMemory.
[[noreturn]] void openWithOneGibibyte(const Extracted& e) {
    const rlimit limit{rlim_t{1} << 30, rlim_t{1} << 30};
    setrlimit(RLIMIT_AS, &limit);
    try {
        (void)openPacketBlocks(e.bytes, e.records.subGroups[0].packetOffset, e.records.packetHeaders[0], "subgroup 0");
    } catch (const std::bad_alloc& error) {
        std::fprintf(stderr, "%s", error.what());
        std::_Exit(dynamic_cast<const NotEnoughMemory*>(&error) != nullptr ? 3 : 4);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s", error.what());
        std::_Exit(5);
    }
    std::_Exit(6);
}

TEST(ExtractPacketDeathTest, BlockBeyondTheMemoryIsNotEnoughMemory) {
    pw::SubGroup sub = mixedPacket(2);
    sub.overrides.resourceDataSize = 0xFFFFFFF0;
    sub.overrides.resourceBlock = std::vector<std::uint8_t>(4'200'000, 0x33);
    const Extracted e = readOne(sub);
    EXPECT_EXIT(openWithOneGibibyte(e), testing::ExitedWithCode(3),
                "^subgroup 0: resource data: not enough memory for 4294967280 bytes");
}
#endif

TEST(ExtractPacket, EmptyFileListStillCreatesTheFolderAndKeepsTheDirectory) {
    TempFolder folder;
    OutputFolder out(".");
    const Extracted e = readOne({.name = "none"});
    extractPacket(out, PathList::fromText("out/Temp"), e.bytes, e.records, 0);
    EXPECT_TRUE(fs::is_directory("out/Temp"));
    EXPECT_TRUE(fs::is_empty("out/Temp"));
    EXPECT_EQ(fs::current_path(), folder.path());
}

TEST(ExtractPacket, EmptyCompressedBlockNeedsNoStream) {
    TempFolder folder;
    OutputFolder out(".");
    pw::SubGroup sub{.name = "atlas only",
                     .files = {{.path = "a.ptx", .type = pw::atlasFile, .data = bytesOf("A")}},
                     .compressionFlags = 3};
    sub.overrides.resourceBlock = std::vector<std::uint8_t>{}; // nothing stored for the empty resource data
    const Extracted e = readOne(sub);
    extractPacket(out, temp, e.bytes, e.records, 0);
    EXPECT_EQ(fileText("Temp/a.ptx"), "A");
}

TEST(ExtractPacket, ExtractingAgainReplacesTheFiles) {
    TempFolder folder;
    OutputFolder out(".");
    fs::create_directories("Temp/images");
    std::ofstream("Temp/images/b.ptx") << "an older and much longer file";
    const Extracted e = readOne(mixedPacket(3));
    extractPacket(out, temp, e.bytes, e.records, 0);
    extractPacket(out, temp, e.bytes, e.records, 0);
    EXPECT_EQ(fileText("Temp/images/b.ptx"), "BBBBBB");
}

TEST(ExtractPacket, FileThatCannotBeCreatedEndsTheRunNamingIt) {
    TempFolder folder;
    OutputFolder out(".");
    fs::create_directories("Temp");
    std::ofstream("Temp/images") << "a file where a folder is needed";
    const Extracted e = readOne(mixedPacket(0));
    try {
        extractPacket(out, temp, e.bytes, e.records, 0);
        FAIL() << "no error";
    } catch (const RunAborted& aborted) {
        ASSERT_EQ(aborted.lines().size(), 1U);
        EXPECT_EQ(aborted.lines()[0], "Cannot Write File : Temp/images/ui/a.ptx : Not a directory");
        EXPECT_TRUE(aborted.pause());
    }
    EXPECT_EQ(fs::current_path(), folder.path());
    EXPECT_EQ(fileText("Temp/data/ui/layout.bin"), "layout"); // written before the failure, kept
}

// A folder this user cannot write into: one without write permission, or,
// for root, whom permissions do not stop, a read-only tmpfs.
TEST(ExtractPacket, ReadOnlyOutputFolderEndsTheRun) {
    TempFolder folder;
    OutputFolder out(".");
    std::unique_ptr<SmallDisk> disk;
    if (::geteuid() == 0) {
        disk = std::make_unique<SmallDisk>(folder.path() / "Temp", 64 * 1024, true);
        ASSERT_TRUE(disk->mounted()) << "cannot mount a read-only tmpfs: " << disk->error();
    } else {
        fs::create_directories("Temp");
        fs::permissions("Temp", fs::perms::owner_read | fs::perms::owner_exec);
    }
    ASSERT_NE(::access("Temp", W_OK), 0) << "the folder is writable";
    const Extracted e = readOne(mixedPacket(0));
    try {
        extractPacket(out, temp, e.bytes, e.records, 0);
        ADD_FAILURE() << "no error";
    } catch (const RunAborted& aborted) {
        EXPECT_NE(aborted.lines().at(0).find("Temp/data/ui/layout.bin"), std::string::npos) << aborted.lines()[0];
    }
    if (!disk) {
        fs::permissions("Temp", fs::perms::owner_all);
    }
    EXPECT_EQ(fs::current_path(), folder.path());
}

TEST(WritePacketFiles, LinkAtAFilesPlaceEndsTheRunAndIsLeftAlone) {
    TempFolder folder;
    OutputFolder out(".");
    fs::create_directories("Temp");
    // Written through, this link would fill a device; it is neither written
    // through nor replaced.
    fs::create_symlink("/dev/full", "Temp/y");
    PacketFileList files;
    files.append(PacketFileEntry{.name = StringBuffer::fromBytes("x"), .type = 0, .offset = 0, .size = 2});
    files.append(PacketFileEntry{.name = StringBuffer::fromBytes("y"), .type = 0, .offset = 2, .size = 2});
    const std::uint8_t bytes[] = {1, 2, 3, 4};
    try {
        writePacketFiles(out, temp, ByteSpan(bytes, 4), {}, files);
        ADD_FAILURE() << "no error";
    } catch (const RunAborted& aborted) {
        ASSERT_EQ(aborted.lines().size(), 1U);
        EXPECT_EQ(aborted.lines()[0], "Cannot Write File : Temp/y : a symbolic link stands where a file is needed");
    }
    EXPECT_EQ(fileText("Temp/x"), "\x01\x02");
    EXPECT_TRUE(fs::is_symlink("Temp/y"));
    EXPECT_TRUE(fs::exists("/dev/full"));
    EXPECT_EQ(fs::current_path(), folder.path());
}

TEST(WritePacketFiles, ChecksTheBlocksItIsGiven) {
    TempFolder folder;
    OutputFolder out(".");
    PacketFileList files;
    files.append(PacketFileEntry{.name = StringBuffer::fromBytes("x"), .type = 0, .offset = 2, .size = 2});
    const std::uint8_t bytes[] = {1, 2, 3, 4};
    EXPECT_THROW(writePacketFiles(out, temp, ByteSpan(bytes, 3), {}, files), PackageFormatError);
    EXPECT_FALSE(fs::exists("Temp"));
    writePacketFiles(out, temp, ByteSpan(bytes, 4), {}, files);
    EXPECT_EQ(fileText("Temp/x"), "\x03\x04");
}

} // namespace
