// The output folder's promises, through the real binary: whatever the folder
// holds before the run (links pointing outside, dangling links, FIFOs, a link
// to a device), nothing outside it changes and the run ends with a message;
// an interrupted run leaves only complete files; a run short of memory ends
// with a message, not a signal; a terminal never receives a name's control
// bytes.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "IsolatedRun.h"
#include "BulkyPackage.h"
#include "SpawnedRun.h"
#include "support/PngFile.h"
#include "packagewriter/writePackage.h"
#include "support/FolderTree.h"
#include "support/Noise.h"
#include "support/RunBinary.h"

namespace fs = std::filesystem;
namespace pw = packagewriter;

namespace {

// A fresh work folder: the package, the index file, the output folder "out"
// and a folder "outside" that links may point at.
class WorkFolder {
public:
    WorkFolder() {
        std::string pattern = (fs::temp_directory_path() / "resunpack-safe-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot make a temporary folder");
        }
        root_ = pattern;
        fs::create_directories(root_ / "outside");
        std::ofstream(root_ / "index.json", std::ios::binary) << sampleIndexText;
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;
    ~WorkFolder() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    const fs::path& root() const { return root_; }
    fs::path out() const { return root_ / "out"; }
    fs::path outside() const { return root_ / "outside"; }

    SpawnSettings settings(const std::string& package) const {
        SpawnSettings settings;
        settings.folder = root_;
        settings.arguments = {package, "-f", "index.json", "-o", "out", "--skip-unknown", "--jobs", "2"};
        return settings;
    }

private:
    fs::path root_;
};

// --- Things in the way ---------------------------------------------------------

// One packet: a resource file, an atlas, and an atlas sharing its name with
// a resource file (so its copy in "Temp" is always written).
pw::Package smallPlan() {
    pw::Package plan;
    plan.groups = {pw::Group{"G", {pw::Slot{0, 1, 0}}, {}}};
    pw::SubGroup sub;
    sub.name = "S";
    sub.files = {pw::PacketFile{"res/R.txt", pw::resourceFile, {'r', 'e', 's'}, 0, 0, 0, {}, {}},
                 pw::PacketFile{"Img/A.ptx", pw::atlasFile, noise(64, 1), 0, 4, 4, {}, {}},
                 pw::PacketFile{"Img/S.ptx", pw::atlasFile, noise(64, 2), 1, 4, 4, {}, {}},
                 pw::PacketFile{"Img/S.ptx", pw::resourceFile, noise(64, 3), 0, 0, 0, {}, {}}};
    plan.subGroups = {sub};
    plan.textures = {pw::Texture{4, 4, 0, 0, 0, 0}, pw::Texture{4, 4, 0, 0, 0, 0}};
    return plan;
}

struct InTheWayCase {
    const char* name;
    std::function<void(const fs::path& out, const fs::path& outside)> prepare;
    std::string message;
};

class ThingInTheWay : public testing::TestWithParam<InTheWayCase> {};

TEST_P(ThingInTheWay, EndsTheRunNamingItAndChangesNothingOutside) {
    WorkFolder work;
    writeBytes(work.root() / "p.rsb", pw::writePackage(smallPlan()).bytes);
    std::ofstream(work.outside() / "victim") << "precious";
    fs::create_directories(work.outside() / "Img");
    std::ofstream(work.outside() / "Img" / "A.ptx") << "keep me";
    fs::create_directories(work.out());
    GetParam().prepare(work.out(), work.outside());
    const auto before = folderSnapshot(work.root(), work.out());

    const SpawnedRun run = spawnBinary(work.settings("p.rsb"));
    ASSERT_FALSE(run.timedOut) << "the run hung:\n" << run.out;
    ASSERT_TRUE(run.exited) << "ended by signal " << run.signal << "\n" << run.out;
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_NE(run.out.find(GetParam().message + "\nNow Exit\n"), std::string::npos) << run.out;
    EXPECT_EQ(folderSnapshot(work.root(), work.out()), before);
    EXPECT_FALSE(hasTemporaryLeftover(work.root()));
}

void linkTo(const fs::path& target, const fs::path& link) {
    fs::create_directories(link.parent_path());
    fs::create_symlink(target, link);
}

INSTANTIATE_TEST_SUITE_P(
    Places, ThingInTheWay,
    testing::Values(
        InTheWayCase {"TempIsALink", [](const fs::path& out, const fs::path& outside) { linkTo(outside, out / "Temp"); },
                      "Cannot Write File : Temp : a symbolic link stands where a folder is needed"},
        InTheWayCase {"OutPutIsALink",
                      [](const fs::path& out, const fs::path& outside) { linkTo(outside, out / "OutPut"); },
                      "Cannot Write File : OutPut : a symbolic link stands where a folder is needed"},
        InTheWayCase {"FolderInsideTempIsALink",
                      [](const fs::path& out, const fs::path& outside) { linkTo(outside / "Img", out / "Temp/Img"); },
                      "Cannot Write File : Temp/Img : a symbolic link stands where a folder is needed"},
        InTheWayCase {"TempFileIsALink",
                      [](const fs::path& out, const fs::path& outside) {
                          linkTo(outside / "victim", out / "Temp/res/R.txt");
                      },
                      "Cannot Write File : Temp/res/R.txt : a symbolic link stands where a file is needed"},
        InTheWayCase {"PngIsALink",
                      [](const fs::path& out, const fs::path& outside) {
                          linkTo(outside / "victim", out / "OutPut/Img/A.ptx.png");
                      },
                      "Cannot Write File : OutPut/Img/A.ptx.png : a symbolic link stands where a file is needed"},
        InTheWayCase {"PngIsADanglingLink",
                      [](const fs::path& out, const fs::path& outside) {
                          linkTo(outside / "not-yet", out / "OutPut/Img/A.ptx.png");
                      },
                      "Cannot Write File : OutPut/Img/A.ptx.png : a symbolic link stands where a file is needed"},
        InTheWayCase {"DescriptionIsALink",
                      [](const fs::path& out, const fs::path& outside) {
                          linkTo(outside / "victim", out / "Information.json");
                      },
                      "Cannot Write File : Information.json : a symbolic link stands where a file is needed"},
        InTheWayCase {"FifoAtATempFile",
                      [](const fs::path& out, const fs::path&) {
                          fs::create_directories(out / "Temp/res");
                          ASSERT_EQ(::mkfifo((out / "Temp/res/R.txt").c_str(), 0600), 0);
                      },
                      "Cannot Write File : Temp/res/R.txt : a FIFO stands where a file is needed"},
        InTheWayCase {"DeviceLinkAtASharedAtlasName",
                      [](const fs::path& out, const fs::path&) { linkTo("/dev/zero", out / "Temp/Img/S.ptx"); },
                      "Cannot Write File : Temp/Img/S.ptx : a symbolic link stands where a file is needed"}),
    [](const testing::TestParamInfo<InTheWayCase>& row) { return row.param.name; });

// --- The run's own input ------------------------------------------------------

// The package or the index file lies in the output folder where the run
// writes (under that name or another name of the same file): the run ends
// before replacing it, and the file keeps its bytes.
struct OwnInputCase {
    const char* name;
    std::string package;    // where the package lies, from the work folder
    std::string hardLink;   // another name of the package in the work folder, when not empty
    std::string index;      // where the index file lies
    bool indexTyped;        // the index file's path is answered at the prompt, not given with -f
    std::string message;
};

class OwnInput : public testing::TestWithParam<OwnInputCase> {};

TEST_P(OwnInput, IsNeverReplaced) {
    const OwnInputCase& c = GetParam();
    WorkFolder work;
    const std::vector<std::uint8_t> package = pw::writePackage(smallPlan()).bytes;
    fs::create_directories((work.root() / c.package).parent_path());
    writeBytes(work.root() / c.package, package);
    if (!c.hardLink.empty()) {
        fs::create_directories((work.root() / c.hardLink).parent_path());
        fs::create_hard_link(work.root() / c.package, work.root() / c.hardLink);
    }
    fs::create_directories((work.root() / c.index).parent_path());
    std::ofstream(work.root() / c.index, std::ios::binary) << sampleIndexText;

    std::vector<std::string> arguments = {c.package, "-o", "out", "--skip-unknown"};
    if (!c.indexTyped) {
        arguments.insert(arguments.end(), {"-f", c.index});
    }
    const BinaryRun run = runBinary(work.root(), arguments, c.indexTyped ? c.index + "\n" : "");
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_NE(run.out.find(c.message + "\nNow Exit\n"), std::string::npos) << run.out;
    std::ifstream in(work.root() / c.package, std::ios::binary);
    EXPECT_EQ(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()), package)
        << "the package was overwritten";
    EXPECT_EQ(readFileText(work.root() / c.index), sampleIndexText) << "the index file was overwritten";
    EXPECT_FALSE(hasTemporaryLeftover(work.root()));
}

INSTANTIATE_TEST_SUITE_P(
    Places, OwnInput,
    testing::Values(
        OwnInputCase {"PackageAtAnExtractedFile", "out/Temp/res/R.txt", "", "index.json", false,
                      "Cannot Write File : Temp/res/R.txt : it is the package being unpacked"},
        // The atlas's copy is left out when its decoding succeeds; its name is prepared all the same.
        OwnInputCase {"PackageAtAnAtlasCopy", "out/Temp/Img/A.ptx", "", "index.json", false,
                      "Cannot Write File : Temp/Img/A.ptx : it is the package being unpacked"},
        OwnInputCase {"PackageHardLinkedAtAPng", "p.rsb", "out/OutPut/Img/A.ptx.png", "index.json", false,
                      "Cannot Write File : OutPut/Img/A.ptx.png : it is the package being unpacked"},
        // Given with -f, the index file is known before the description is written.
        OwnInputCase {"IndexAtTheDescription", "p.rsb", "", "out/Information.json", false,
                      "Cannot Write File : Information.json : it is the index file being read"},
        OwnInputCase {"IndexGivenAtAnExtractedFile", "p.rsb", "", "out/Temp/res/R.txt", false,
                      "Cannot Write File : Temp/res/R.txt : it is the index file being read"},
        OwnInputCase {"IndexTypedAtAnExtractedFile", "p.rsb", "", "out/Temp/res/R.txt", true,
                      "Cannot Write File : Temp/res/R.txt : it is the index file being read"}),
    [](const testing::TestParamInfo<OwnInputCase>& row) { return row.param.name; });

TEST(OutputFolderItself, MayBeALinkTheUserMade) {
    WorkFolder work;
    writeBytes(work.root() / "p.rsb", pw::writePackage(smallPlan()).bytes);
    fs::create_directory_symlink(work.outside(), work.out());
    const SpawnedRun run = spawnBinary(work.settings("p.rsb"));
    ASSERT_TRUE(run.exited) << run.out;
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(fs::is_regular_file(work.outside() / "OutPut/Img/A.ptx.png"));
}

// --- Interrupted runs -------------------------------------------------------------

TEST(InterruptedRun, LeavesOnlyCompleteFilesAndEndsWithTheSignalsStatus) {
    WorkFolder work;
    const pw::Package plan = bulkyPlan();
    writeBytes(work.root() / "p.rsb", pw::writePackage(plan).bytes);
    std::map<std::string, std::string> packetFiles;
    for (const pw::SubGroup& sub : plan.subGroups) {
        for (const pw::PacketFile& file : sub.files) {
            packetFiles["Temp/" + file.path] = std::string(file.data.begin(), file.data.end());
        }
    }

    const SpawnedRun whole = spawnBinary(work.settings("p.rsb"));
    ASSERT_TRUE(whole.exited && whole.status == 0) << whole.out;
    const std::map<std::string, std::string> finished = filesBelow(work.out());
    const auto lines = static_cast<std::size_t>(std::count(whole.out.begin(), whole.out.end(), '\n'));

    std::mt19937 random(20261210);
    for (int round = 0; round < 16; ++round) {
        fs::remove_all(work.out());
        SpawnSettings settings = work.settings("p.rsb");
        settings.signalNumber = round % 2 == 0 ? SIGINT : SIGTERM;
        settings.afterLines = std::uniform_int_distribution<std::size_t>(0, lines)(random);
        settings.afterMicroseconds = std::uniform_int_distribution<unsigned>(0, 30000)(random);
        const SpawnedRun run = spawnBinary(settings);
        const std::string context = "round " + std::to_string(round) + ", signal " +
                                    std::to_string(settings.signalNumber) + " after line " +
                                    std::to_string(settings.afterLines) + "\n" + run.out;
        ASSERT_FALSE(run.timedOut) << context;
        ASSERT_TRUE(run.exited) << "ended by signal " << run.signal << ", " << context;
        if (run.out.find("\nFinish!\n") == std::string::npos) {
            EXPECT_EQ(run.status, 128 + settings.signalNumber) << context;
        }
        EXPECT_FALSE(hasTemporaryLeftover(work.root())) << context;
        for (const auto& [path, bytes] : filesBelow(work.out())) {
            EXPECT_EQ(leftoverFault(path, bytes, finished, packetFiles), "") << context;
            if (path.ends_with(".png")) {
                const PngFile png = PngFile::read((work.out() / path).string());
                EXPECT_TRUE(png.valid && !png.chunks.empty() && png.chunks.back() == "IEND") << path << ", " << context;
            }
        }
    }
}

// --- Memory ---------------------------------------------------------------------

// One subgroup of many files with long names: its records and description
// take some tens of MiB, from a package of a few.
[[maybe_unused]] pw::Package wideDescriptionPlan() {
    pw::Package plan;
    plan.groups = {pw::Group {"Wide", {pw::Slot{0, 1, 0}}, {}}};
    pw::SubGroup sub;
    sub.name = "Many";
    const std::string longFolder = std::string(180, 'd') + "/";
    for (int f = 0; f < 150000; ++f) {
        sub.files.push_back(pw::PacketFile{longFolder + "f" + std::to_string(f), pw::resourceFile, {}, 0, 0, 0, {}, {}});
    }
    plan.subGroups = {sub};
    return plan;
}

// AddressSanitizer reserves more address space than any limit here allows,
// so the plain build alone has this test.
#if !defined(__SANITIZE_ADDRESS__)
TEST(ShortOfMemory, EveryLimitEndsWithAMessageNeverASignal) {
    WorkFolder work;
    writeBytes(work.root() / "p.rsb", pw::writePackage(wideDescriptionPlan()).bytes);
    bool someRanShort = false;
    for (const rlim_t megabytes : std::vector<rlim_t> {16, 24, 32, 48, 64, 96}) {
        fs::remove_all(work.out());
        SpawnSettings settings = work.settings("p.rsb");
        settings.addressSpace = megabytes << 20U;
        const SpawnedRun run = spawnBinary(settings);
        const std::string context = std::to_string(megabytes) + " MiB:\n" + run.out;
        ASSERT_FALSE(run.timedOut) << context;
        ASSERT_TRUE(run.exited) << "ended by signal " << run.signal << " at " << context;
        if (run.status != 0) {
            // Short of memory for the package itself, or for what comes after.
            const bool forThePackage = run.out.find("Error: CanNot Alloc Enought Buffer\n") != std::string::npos;
            const bool forTheRest = run.out.find("Error: not enough memory for ") != std::string::npos;
            someRanShort = someRanShort || forTheRest;
            EXPECT_EQ(run.status, 1) << context;
            EXPECT_TRUE(forThePackage || forTheRest) << context;
            EXPECT_TRUE(run.out.ends_with("Now Exit\n")) << context;
        }
    }
    EXPECT_TRUE(someRanShort) << "no limit ran short after the package was read";
}

// --list of a package the memory does not suffice for, then of a good one:
// the error goes to standard error naming the stage that ran out, the good
// package is still listed, and the status is 1.
TEST(ShortOfMemory, ListingGoesOnWithTheNextPackageAndKeepsErrorsOffItsOutput) {
    WorkFolder work;
    writeBytes(work.root() / "wide.rsb", pw::writePackage(wideDescriptionPlan()).bytes);
    writeBytes(work.root() / "good.rsb", pw::writePackage(smallPlan()).bytes);
    bool someRanShort = false;
    for (const int megabytes : {24, 32, 48, 64, 96}) {
        const std::string command = "cd " + shellQuoted(work.root().string()) + " && ulimit -v " +
                                    std::to_string(megabytes << 10) + " && exec " + shellQuoted(RESUNPACK_BINARY) +
                                    " --list wide.rsb good.rsb </dev/null >out.txt 2>err.txt";
        const int raw = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(raw)) << megabytes << " MiB";
        const std::string out = readFileText(work.root() / "out.txt");
        const std::string err = readFileText(work.root() / "err.txt");
        const std::string context = std::to_string(megabytes) + " MiB:\nout: " + out.substr(0, 300) + "\nerr: " + err;
        if (err.find("Error: not enough memory for the package") == std::string::npos &&
            err.find("Error: not enough memory for the listing") == std::string::npos) {
            continue;
        }
        someRanShort = true;
        EXPECT_EQ(WEXITSTATUS(raw), 1) << context;
        EXPECT_EQ(out.find("Error"), std::string::npos) << context;
        EXPECT_EQ(out.find("Now Exit"), std::string::npos) << context;
        EXPECT_NE(err.find("InPut : "), std::string::npos) << context;
        EXPECT_NE(out.find("res/R.txt"), std::string::npos) << "the good package was not listed: " << context;
    }
    EXPECT_TRUE(someRanShort) << "no limit ran short while listing";
}

// A package below 4 GiB whose block cannot be had: the run names its size and
// writes nothing. A sparse file of 512 MiB takes no disk space.
TEST(ShortOfMemory, PackageBlockThatCannotBeHadIsNamedWithItsSize) {
    WorkFolder work;
    std::ofstream(work.root() / "big.rsb", std::ios::binary) << "x";
    fs::resize_file(work.root() / "big.rsb", std::uintmax_t {512} << 20U);
    SpawnSettings settings = work.settings("big.rsb");
    settings.addressSpace = std::uint64_t {256} << 20U;
    const SpawnedRun run = spawnBinary(settings);
    ASSERT_TRUE(run.exited) << "ended by signal " << run.signal << ":\n" << run.out;
    EXPECT_TRUE(run.out.ends_with("Error: CanNot Alloc Enought Buffer\nNeed Size: 512M\nNow Exit\n")) << run.out;
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(fs::exists(work.out()));
}
#endif

// --- A terminal -------------------------------------------------------------------

TEST(TerminalRun, ShowsControlBytesInNamesEscapedAndAPipeGetsThemAsStored) {
    WorkFolder work;
    pw::Package plan = smallPlan();
    const std::string hostile = "S\x1B]0;owned\x07\x1B[2J\tx";
    plan.subGroups[0].name = hostile;
    plan.subGroups[0].files[1].path = "Img/A\x1B[31m.ptx";
    writeBytes(work.root() / "p.rsb", pw::writePackage(plan).bytes);

    SpawnSettings settings = work.settings("p.rsb");
    settings.terminal = true;
    const SpawnedRun onTerminal = spawnBinary(settings);
    ASSERT_TRUE(onTerminal.exited) << onTerminal.out;
    EXPECT_EQ(onTerminal.out.find('\x1B'), std::string::npos) << "an escape byte reached the terminal";
    EXPECT_EQ(onTerminal.out.find('\x07'), std::string::npos) << "a bell byte reached the terminal";
    EXPECT_NE(onTerminal.out.find("Included Atlas Resource : S\\x1B]0;owned\\x07\\x1B[2J\tx"), std::string::npos)
        << onTerminal.out;
    EXPECT_NE(onTerminal.out.find("\t\tImg/A\\x1B[31m.ptx"), std::string::npos) << onTerminal.out;

    fs::remove_all(work.out());
    const SpawnedRun toPipe = spawnBinary(work.settings("p.rsb"));
    ASSERT_TRUE(toPipe.exited) << toPipe.out;
    EXPECT_NE(toPipe.out.find("Included Atlas Resource : " + hostile + "\n"), std::string::npos);
    EXPECT_NE(toPipe.out.find("\t\tImg/A\x1B[31m.ptx\n"), std::string::npos);
}

// Every message that can carry a name, on a terminal: the name's controls,
// C0 and C1 alike, arrive as \xNN, whichever line carries them.
struct NamedMessageCase {
    const char* name;
    // Changes the package and prepares the output folder.
    std::function<void(pw::Package& plan, const fs::path& out)> prepare;
    std::vector<std::string> extraArguments;
    std::string expected; // the message, as the terminal shows it
};

// ESC ] 0 ; ... BEL retitles a window, ESC [ 2 J clears the screen, and
// U+009B and U+009D are the same two commands as C1 controls.
const std::string hostileName = "\x1B]0;PWNED\x07\x1B[2J\xC2\x9B" "2J\xC2\x9D" "0;t";
const std::string hostileShown = "\\x1B]0;PWNED\\x07\\x1B[2J\\xC2\\x9B2J\\xC2\\x9D0;t";

class NamedMessage : public testing::TestWithParam<NamedMessageCase> {};

TEST_P(NamedMessage, ReachesATerminalWithTheNamesControlsEscaped) {
    WorkFolder work;
    pw::Package plan = smallPlan();
    GetParam().prepare(plan, work.out());
    writeBytes(work.root() / "p.rsb", pw::writePackage(plan).bytes);
    SpawnSettings settings = work.settings("p.rsb");
    settings.arguments.insert(settings.arguments.end(), GetParam().extraArguments.begin(),
                              GetParam().extraArguments.end());
    settings.terminal = true;
    const SpawnedRun run = spawnBinary(settings);
    ASSERT_TRUE(run.exited) << run.out;
    for (const std::string& forbidden : {std::string("\x1B"), std::string("\x07"), std::string("\xC2\x9B"),
                                         std::string("\xC2\x9D")}) {
        EXPECT_EQ(run.out.find(forbidden), std::string::npos) << "a control reached the terminal:\n" << run.out;
    }
    EXPECT_NE(run.out.find(GetParam().expected), std::string::npos) << run.out;
}

INSTANTIATE_TEST_SUITE_P(
    Messages, NamedMessage,
    testing::Values(
        NamedMessageCase {"PacketFileCannotBeWritten",
                          [](pw::Package& plan, const fs::path&) {
                              plan.subGroups[0].files[0].path = "res/" + hostileName + std::string(260, 'a');
                          },
                          {},
                          "Cannot Write File : Temp/res/" + hostileShown + "aaaa"},
        NamedMessageCase {"PngCannotBeWritten",
                          [](pw::Package& plan, const fs::path&) {
                              // Its copy in "Temp" fits a name's 255 bytes; with ".png" it does not.
                              plan.subGroups[0].files[1].path =
                                  "Img/" + hostileName + std::string(253 - hostileName.size(), 'a');
                          },
                          {},
                          "DeCode Failed : cannot write OutPut/Img/" + hostileShown + "aaaa"},
        NamedMessageCase {"ThingInTheWay",
                          [](pw::Package& plan, const fs::path& out) {
                              plan.subGroups[0].files[0].path = "res/" + hostileName;
                              fs::create_directories(out / "Temp" / "res");
                              ASSERT_EQ(::mkfifo((out / "Temp" / "res" / hostileName).c_str(), 0600), 0);
                          },
                          {},
                          "Cannot Write File : Temp/res/" + hostileShown + " : "},
        NamedMessageCase {"DamagedPacketNamed",
                          [](pw::Package& plan, const fs::path&) {
                              plan.subGroups[0].name = hostileName;
                              plan.subGroups[0].files[0].size = 1000000;
                          },
                          {},
                          hostileShown},
        NamedMessageCase {"Listing",
                          [](pw::Package& plan, const fs::path&) {
                              plan.subGroups[0].name = hostileName;
                              plan.subGroups[0].files[0].path = "res/" + hostileName;
                          },
                          {"--list"},
                          "res/" + hostileShown},
        NamedMessageCase {"ListingOfADamagedPackage",
                          [](pw::Package& plan, const fs::path&) {
                              plan.subGroups[0].name = hostileName;
                              plan.subGroups[0].files[0].size = 1000000;
                          },
                          {"--list"},
                          hostileShown}),
    [](const testing::TestParamInfo<NamedMessageCase>& row) { return row.param.name; });

TEST(TerminalRun, InterruptedWhileWaitingForAKeyGetsItsTerminalBack) {
    WorkFolder work;
    SpawnSettings settings;
    settings.folder = work.root();
    settings.terminal = true;
    // An interactive run: a missing package ends with the pause, which puts
    // the terminal into single-key mode; the signal comes then.
    settings.typed = "missing.rsb\n";
    settings.signalNumber = SIGINT;
    settings.signalWhenEchoOff = true;
    const SpawnedRun run = spawnBinary(settings);
    ASSERT_FALSE(run.timedOut) << run.out;
    ASSERT_NE(run.out.find("Press any key to continue . . ."), std::string::npos) << run.out;
    ASSERT_TRUE(run.exited) << "ended by signal " << run.signal << "\n" << run.out;
    EXPECT_EQ(run.status, 128 + SIGINT) << run.out;
    EXPECT_TRUE(run.terminalEchoes) << "the terminal was left without echo or line mode";
}

// A terminal that refuses the single-key mode: the wait reads a whole line
// instead, and Ctrl-C during it still ends the run at once. (A sanitizer's
// runtime must come first among preloaded libraries, so its builds skip this.)
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
TEST(TerminalRun, InterruptedWhileWaitingForAKeyOnATerminalThatRefusesModesEnds) {
    WorkFolder work;
    SpawnSettings settings;
    settings.folder = work.root();
    settings.terminal = true;
    settings.typed = "missing.rsb\n";
    settings.environment = {std::string("LD_PRELOAD=") + REFUSE_TERMINAL_MODES_LIBRARY};
    // The lines up to "Now Exit", then time to reach the wait.
    settings.signalNumber = SIGINT;
    settings.afterLines = 11;
    settings.afterMicroseconds = 300000;
    settings.timeoutSeconds = 10;
    const SpawnedRun run = spawnBinary(settings);
    ASSERT_NE(run.out.find("Press any key to continue . . ."), std::string::npos) << run.out;
    EXPECT_TRUE(run.signalSent);
    ASSERT_FALSE(run.timedOut) << "Ctrl-C was ignored during the wait:\n" << run.out;
    ASSERT_TRUE(run.exited) << "ended by signal " << run.signal << "\n" << run.out;
    EXPECT_EQ(run.status, 128 + SIGINT) << run.out;
}
#endif

} // namespace
