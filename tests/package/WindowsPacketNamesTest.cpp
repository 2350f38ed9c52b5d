// Packet paths on Windows: what would leave the output folder or mean
// something else to Windows is a damaged packet, found before any file is
// written. Built and run only in the Windows build (under wine).
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/FatalError.h"
#include "platform/OutputFolder.h"
#include "package/readPackage.h"
#include "support/TempFolder.h"
#include "tests/package/PackageFixtures.h"

namespace {

namespace fs = std::filesystem;
namespace pw = packagewriter;
using fixtures::bytesOf;
using fixtures::extractPacket;

struct NameCase {
    std::string path;
    const char* reasonPart; // nullptr: the file is written
};

class WindowsPacketNames : public testing::TestWithParam<NameCase> {};

TEST_P(WindowsPacketNames, AreRefusedBeforeAnythingIsWrittenOrWritten) {
    const NameCase& c = GetParam();
    TempFolder folder;
    pw::Package plan;
    plan.subGroups = {{.name = "Names",
                       .files = {{.path = "first.bin", .data = bytesOf("first")},
                                 {.path = c.path, .data = bytesOf("named")}}}};
    const std::vector<std::uint8_t> bytes = pw::writePackage(plan).bytes;
    PackageRecords records;
    readPackage(bytes, records);
    OutputFolder out(".");
    try {
        extractPacket(out, PathList::fromText("Temp"), bytes, records, 0);
        EXPECT_EQ(c.reasonPart, nullptr) << c.path << ": no error";
        const std::u8string name(c.path.begin(), c.path.end());
        EXPECT_TRUE(fs::is_regular_file(folder.path() / "Temp" / fs::path(name))) << c.path;
    } catch (const PackageFormatError& error) {
        ASSERT_NE(c.reasonPart, nullptr) << error.what();
        EXPECT_NE(std::string(error.what()).find(c.reasonPart), std::string::npos) << error.what();
        EXPECT_FALSE(fs::exists(folder.path() / "Temp" / "first.bin")) << "a file was written first";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, WindowsPacketNames,
    testing::Values(NameCase {"C:\\Windows\\x.dll", "names a drive or an alternate data stream"},
                    NameCase {"C:x.dll", "names a drive or an alternate data stream"},
                    NameCase {"images/a.png:hidden", "names a drive or an alternate data stream"},
                    NameCase {"images/CON", "is a device name"},
                    NameCase {"nul.txt", "is a device name"},
                    NameCase {"lpt1.png/a", "is a device name"},
                    NameCase {"images./a.png", "ends in a dot or a space"},
                    NameCase {"images/a.png ", "ends in a dot or a space"},
                    NameCase {".../a.png", "ends in a dot or a space"},
                    NameCase {"images\\..\\..\\a.png", "climbs out of the output folder"},
                    NameCase {"images/\xC3\x84rger.png", nullptr},
                    NameCase {"images/CONSOLE.png", nullptr}));

} // namespace
