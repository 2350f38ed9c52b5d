#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "SmallPackage.h"
#include "core/FatalError.h"
#include "description/JsonMembers.h"
#include "description/writeDescriptionFile.h"
#include "description/writePackageDescription.h"
#include "support/RunBinary.h"
#include "support/TempFolder.h"

namespace fs = std::filesystem;

namespace {

std::string golden(const char* name) {
    const fs::path path = fs::path(RESUNPACK_SOURCE_DIR) / "tests" / "description" / "golden" / name;
    EXPECT_TRUE(fs::exists(path)) << path;
    return readFileText(path);
}

TEST(WritePackageDescription, PackageWithoutGroupsGivesFiveLinesAndReplacesAnOlderFile) {
    TempFolder folder;
    OutputFolder out(".");
    {
        std::ofstream(folder.path() / "Information.json", std::ios::binary) << std::string(500, 'x');
    }
    writePackageDescription(out, StringBuffer::fromBytes("main.obb"), PackageRecords {});
    EXPECT_EQ(readFileText(folder.path() / "Information.json"), golden("NoGroups.json"));
}

TEST(WritePackageDescription, SmallPackageMatchesTheHandWrittenFile) {
    TempFolder folder;
    OutputFolder out(".");
    writePackageDescription(out, StringBuffer::fromBytes("pack\xE9.rsb"), smallPackage());
    EXPECT_EQ(readFileText(folder.path() / "Information.json"), golden("SmallPackage.json"));
}

TEST(WritePackageDescription, MalformedPackageWritesNothing) {
    TempFolder folder;
    OutputFolder out(".");
    PackageRecords records = smallPackage();
    records.packetFileLists[2].append(resourceFile("late")).type = 9;
    EXPECT_THROW(writePackageDescription(out, StringBuffer::fromBytes("p.rsb"), records), PackageFormatError);
    EXPECT_FALSE(fs::exists(folder.path() / "Information.json"));
}

// The description counts against the run's output budget as it is written:
// one byte past the limit writes nothing under the final name and leaves no
// part of the file behind; at the limit the file is whole.
TEST(WritePackageDescription, StopsAtItsLimitLeavingNoPartOfTheFile) {
    const std::string whole = golden("SmallPackage.json");
    struct Case {
        const char* name;
        std::uint64_t limit;
        bool fits;
    };
    for (const Case& c : {Case {"one byte short", whole.size() - 1, false}, Case {"exactly", whole.size(), true},
                          Case {"far short", 10, false}}) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        OutputFolder out(".");
        const auto write = [&] {
            return writePackageDescription(out, StringBuffer::fromBytes("pack\xE9.rsb"), smallPackage(), c.limit);
        };
        if (c.fits) {
            EXPECT_EQ(write(), whole.size());
            EXPECT_EQ(readFileText(folder.path() / "Information.json"), whole);
        } else {
            EXPECT_THROW(write(), DescriptionOverBudget);
            EXPECT_TRUE(fs::is_empty(folder.path())) << "a part of the description was left";
        }
    }
}

// --- string escapes -------------------------------------------------------------

struct EscapeCase {
    const char* name;
    std::string raw;
    std::string written; // between the quotes
};

class StringEscapes : public testing::TestWithParam<EscapeCase> {};

TEST_P(StringEscapes, FollowTheJsonRulesAndCopyEverythingElse) {
    JsonAllocator allocator;
    JsonValue root(rapidjson::kObjectType);
    addStringMember(root, "ID", GetParam().raw, false, allocator);
    EXPECT_EQ(descriptionText(root), "{\n\t\"ID\": \"" + GetParam().written + "\"\n}");
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, StringEscapes,
    testing::Values(EscapeCase {"Quote", "a\"b", "a\\\"b"}, EscapeCase {"Backslash", "a\\b", "a\\\\b"},
                    EscapeCase {"SlashIsPlain", "a/b", "a/b"}, EscapeCase {"Backspace", "\b", "\\b"},
                    EscapeCase {"Tab", "\t", "\\t"}, EscapeCase {"LineFeed", "\n", "\\n"},
                    EscapeCase {"FormFeed", "\f", "\\f"}, EscapeCase {"CarriageReturn", "\r", "\\r"},
                    EscapeCase {"ZeroByte", std::string("a\0b", 3), "a\\u0000b"},
                    EscapeCase {"VerticalTab", "\v", "\\u000B"}, EscapeCase {"Escape", "\x1B", "\\u001B"},
                    EscapeCase {"UnitSeparator", "\x1F", "\\u001F"}, EscapeCase {"Space", " ", " "},
                    EscapeCase {"Delete", "\x7F", "\x7F"}, EscapeCase {"LoneHighByte", "\x80", "\x80"},
                    EscapeCase {"ByteFF", "\xFF", "\xFF"},
                    EscapeCase {"BrokenUtf8", "\xC3(\xE9\xA0", "\xC3(\xE9\xA0"},
                    EscapeCase {"ValidUtf8", "\xE4\xB8\xAD", "\xE4\xB8\xAD"}),
    [](const testing::TestParamInfo<EscapeCase>& row) { return row.param.name; });

TEST(DescriptionText, EmptyContainersStayOnTheirMemberLine) {
    JsonAllocator allocator;
    JsonValue root(rapidjson::kObjectType);
    addObjectMember(root, "O", allocator);
    addArrayMember(addObjectMember(root, "P", allocator), "A", allocator);
    addUintMember(root, "N", 4294967295U, false, allocator);
    addUintMember(root, "Z", 12, true, allocator);
    addBoolMember(root, "T", true, allocator);
    EXPECT_EQ(descriptionText(root),
              "{\n\t\"O\": {},\n\t\"P\": {\n\t\t\"A\": []\n\t},\n\t\"N\": 4294967295,\n\t\"Z\": null,\n\t\"T\": true\n}");
}

// --- the file cannot be written ---------------------------------------------------

struct WriteFailureCase {
    const char* name;
    std::function<void(const fs::path&)> prepare;
    std::string reason;
    // Whether what stood at the file's place is still there afterwards: a
    // folder in the way stays, a partly written file is removed.
    bool leftInPlace;
};

class DescriptionWriteFailure : public testing::TestWithParam<WriteFailureCase> {};

TEST_P(DescriptionWriteFailure, AbortsTheRunNamingTheFileAndTheReason) {
    TempFolder folder;
    OutputFolder out(".");
    GetParam().prepare(folder.path() / "Information.json");
    try {
        writePackageDescription(out, StringBuffer::fromBytes("main.obb"), smallPackage());
        FAIL() << "no error raised";
    } catch (const RunAborted& aborted) {
        ASSERT_EQ(aborted.lines().size(), 1U);
        EXPECT_EQ(aborted.lines()[0], "Information.json : CanNot Write : " + GetParam().reason);
        EXPECT_TRUE(aborted.pause());
    }
    EXPECT_EQ(fs::exists(fs::symlink_status(folder.path() / "Information.json")), GetParam().leftInPlace);
}

INSTANTIATE_TEST_SUITE_P(
    Causes, DescriptionWriteFailure,
    testing::Values(
        WriteFailureCase {"EmptyFolderInTheWay", [](const fs::path& file) { fs::create_directory(file); },
                          "Is a directory", true},
        // A folder cannot be replaced by a file.
        WriteFailureCase {"FolderInTheWay", [](const fs::path& file) { fs::create_directories(file / "inner"); },
                          "Is a directory", true}),
    [](const testing::TestParamInfo<WriteFailureCase>& row) { return row.param.name; });

} // namespace
