// Ctrl-C on the console of a run of resunpack.exe: the run removes the file
// it was writing and ends with status 130, leaving only complete files. The
// run gets a console of its own; the test attaches to it for a moment and
// sends the event there, as a user's key press would. Closing the console
// window (CTRL_CLOSE_EVENT) cannot be sent this way.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "BulkyPackage.h"
#include "support/TempFolder.h"
#include "support/WindowsToolPath.h"

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    DWORD status = 0;
    std::string out;
    bool interrupted = false; // the event was sent before the run ended
};

std::size_t lineCount(const fs::path& file) {
    const std::string text = readFileText(file);
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Runs the tool in `folder` on its own console, its output going to a file;
// with `afterLines`, sends Ctrl-C to that console once the output has that
// many lines (or not at all when the run ends first).
ToolRun runTool(const fs::path& folder, const std::wstring& arguments, std::optional<std::size_t> afterLines) {
    const fs::path outFile = folder / "console.txt";
    SECURITY_ATTRIBUTES inherit {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE output = ::CreateFileW(outFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    const HANDLE input = ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ToolRun run;
    if (output == INVALID_HANDLE_VALUE || input == INVALID_HANDLE_VALUE) {
        ADD_FAILURE() << "cannot open the run's standard handles";
        return run;
    }
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION process {};
    std::wstring command = L"\"" + windowsToolPath().wstring() + L"\" " + arguments;
    const BOOL started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NEW_CONSOLE,
                                          nullptr, folder.c_str(), &startup, &process);
    ::CloseHandle(output);
    ::CloseHandle(input);
    if (started == 0) {
        ADD_FAILURE() << "cannot start " << windowsToolPath().string() << ": error " << ::GetLastError();
        return run;
    }
    if (afterLines) {
        while (::WaitForSingleObject(process.hProcess, 1) == WAIT_TIMEOUT) {
            if (lineCount(outFile) >= *afterLines) {
                // Only the run's console gets the event; this process
                // ignores it meanwhile.
                (void)::FreeConsole();
                if (::AttachConsole(process.dwProcessId) != 0) {
                    (void)::SetConsoleCtrlHandler(nullptr, TRUE);
                    run.interrupted = ::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) != 0;
                    (void)::FreeConsole();
                }
                (void)::AttachConsole(ATTACH_PARENT_PROCESS);
                break;
            }
        }
    }
    if (::WaitForSingleObject(process.hProcess, 120000) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "the run did not end";
        ::TerminateProcess(process.hProcess, 99);
    }
    ::GetExitCodeProcess(process.hProcess, &run.status);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    run.out = readFileText(outFile);
    return run;
}

TEST(InterruptedRun, CtrlCLeavesOnlyCompleteFilesAndEndsWithStatus130) {
    const TempFolder folder;
    const packagewriter::Package plan = bulkyPlan();
    {
        const std::vector<std::uint8_t> bytes = packagewriter::writePackage(plan).bytes;
        std::ofstream(folder.path() / "p.rsb", std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        std::ofstream(folder.path() / "index.json", std::ios::binary)
            << R"({"TextureFormat": [{"Index": 0, "TextureFormat": "RGBA32"}]})";
    }
    std::map<std::string, std::string> packetFiles;
    for (const packagewriter::SubGroup& sub : plan.subGroups) {
        for (const packagewriter::PacketFile& file : sub.files) {
            packetFiles["Temp/" + file.path] = std::string(file.data.begin(), file.data.end());
        }
    }
    const std::wstring arguments = L"p.rsb -f index.json -o out --skip-unknown";
    const fs::path out = folder.path() / "out";

    const ToolRun whole = runTool(folder.path(), arguments, std::nullopt);
    ASSERT_EQ(whole.status, 0U) << whole.out;
    const std::map<std::string, std::string> finished = filesBelow(out);
    ASSERT_FALSE(finished.empty());
    const auto lines = static_cast<std::size_t>(std::count(whole.out.begin(), whole.out.end(), '\n'));

    std::mt19937 random(20261210);
    std::size_t interrupted = 0;
    for (int round = 0; round < 8; ++round) {
        fs::remove_all(out);
        const std::size_t afterLines = std::uniform_int_distribution<std::size_t>(1, lines)(random);
        const ToolRun run = runTool(folder.path(), arguments, afterLines);
        const std::string context = "round " + std::to_string(round) + ", Ctrl-C after line " +
                                    std::to_string(afterLines) + "\n" + run.out;
        const bool finishedFirst = run.out.find("Finish!") != std::string::npos;
        if (!finishedFirst) {
            EXPECT_TRUE(run.interrupted) << context;
            EXPECT_EQ(run.status, 130U) << context;
            ++interrupted;
        }
        EXPECT_FALSE(hasTemporaryLeftover(folder.path())) << context;
        for (const auto& [path, bytes] : filesBelow(out)) {
            EXPECT_EQ(leftoverFault(path, bytes, finished, packetFiles), "") << context;
        }
    }
    // The rounds would show nothing if every run ended before its Ctrl-C.
    EXPECT_GT(interrupted, 0U);
}

} // namespace
