// The console window of resunpack.exe as the user sees it: a run that has
// the window to itself (packages dropped on the program, "Open with") waits
// for a key before the window closes, even after an error; a run started
// from a command prompt shares that window and ends as it always did. The
// test reads the run's window by attaching to its console for a moment, and
// presses a key there as the user would. wine without a display makes
// consoles that take no input and have no mode; there the wait itself is
// not tested (see consolesWork).
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/TempFolder.h"
#include "support/WindowsToolPath.h"

namespace {

namespace fs = std::filesystem;

// True when a console made for a process here takes input: not so under
// wine without a display.
bool consolesWork() {
    (void)::FreeConsole();
    bool works = false;
    if (::AllocConsole() != 0) {
        const HANDLE in = ::CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
        DWORD mode = 0;
        works = in != INVALID_HANDLE_VALUE && ::GetConsoleMode(in, &mode) != 0;
        if (in != INVALID_HANDLE_VALUE) {
            ::CloseHandle(in);
        }
        (void)::FreeConsole();
    }
    (void)::AttachConsole(ATTACH_PARENT_PROCESS);
    return works;
}

std::string utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// A process started on a console of its own, ended at the end of the test
// if it is still running.
class WindowRun {
public:
    // With `outputFile`, the run's output goes there and its input is NUL.
    WindowRun(const fs::path& folder, std::wstring command, const fs::path* outputFile = nullptr) {
        STARTUPINFOW startup {};
        startup.cb = sizeof startup;
        HANDLE input = INVALID_HANDLE_VALUE;
        HANDLE output = INVALID_HANDLE_VALUE;
        if (outputFile != nullptr) {
            SECURITY_ATTRIBUTES inherit {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
            output = ::CreateFileW(outputFile->c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                   CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            input = ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdInput = input;
            startup.hStdOutput = output;
            startup.hStdError = output;
        }
        started_ = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, outputFile != nullptr ? TRUE : FALSE,
                                    CREATE_NEW_CONSOLE, nullptr, folder.c_str(), &startup, &process_) != 0;
        for (const HANDLE handle : {input, output}) {
            if (handle != INVALID_HANDLE_VALUE) {
                ::CloseHandle(handle);
            }
        }
    }
    WindowRun(const WindowRun&) = delete;
    WindowRun& operator=(const WindowRun&) = delete;
    ~WindowRun() {
        if (started_) {
            if (::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
                ::TerminateProcess(process_.hProcess, 99);
            }
            ::CloseHandle(process_.hThread);
            ::CloseHandle(process_.hProcess);
        }
    }

    bool started() const { return started_; }
    // True when the process ended within `milliseconds`.
    bool endsWithin(DWORD milliseconds) const {
        return ::WaitForSingleObject(process_.hProcess, milliseconds) == WAIT_OBJECT_0;
    }
    DWORD status() const {
        DWORD status = 0;
        ::GetExitCodeProcess(process_.hProcess, &status);
        return status;
    }

    // The text of the run's window, row after row, each without its
    // trailing blanks; empty when the console cannot be reached.
    std::wstring screen() const {
        std::wstring text;
        withConsole([&text] {
            const HANDLE out = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
            CONSOLE_SCREEN_BUFFER_INFO information {};
            if (out != INVALID_HANDLE_VALUE && ::GetConsoleScreenBufferInfo(out, &information) != 0) {
                const SHORT width = information.dwSize.X;
                std::wstring row(static_cast<std::size_t>(width), L' ');
                for (SHORT y = 0; y <= information.dwCursorPosition.Y; ++y) {
                    DWORD read = 0;
                    if (::ReadConsoleOutputCharacterW(out, row.data(), static_cast<DWORD>(width), COORD {0, y},
                                                      &read) == 0) {
                        break;
                    }
                    const std::size_t end = row.find_last_not_of(L' ', read == 0 ? 0 : read - 1);
                    text += (end == std::wstring::npos ? std::wstring() : row.substr(0, end + 1)) + L"\n";
                }
            }
            if (out != INVALID_HANDLE_VALUE) {
                ::CloseHandle(out);
            }
        });
        return text;
    }

    // Presses and releases a key on the run's console.
    bool pressKey() const {
        bool pressed = false;
        withConsole([&pressed] {
            const HANDLE in = ::CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
            if (in == INVALID_HANDLE_VALUE) {
                return;
            }
            INPUT_RECORD keys[2] {};
            for (int i = 0; i < 2; ++i) {
                keys[i].EventType = KEY_EVENT;
                keys[i].Event.KeyEvent.bKeyDown = i == 0 ? TRUE : FALSE;
                keys[i].Event.KeyEvent.wRepeatCount = 1;
                keys[i].Event.KeyEvent.wVirtualKeyCode = 'X';
                keys[i].Event.KeyEvent.uChar.UnicodeChar = L'x';
            }
            DWORD written = 0;
            pressed = ::WriteConsoleInputW(in, keys, 2, &written) != 0 && written == 2;
            ::CloseHandle(in);
        });
        return pressed;
    }

    // The screen once `text` is on it, within a minute (wine starts slowly);
    // empty if the run ends or the minute passes first.
    std::wstring screenOnceItShows(const std::wstring& text) const {
        for (int tries = 0; tries < 600; ++tries) {
            const std::wstring shown = screen();
            if (shown.find(text) != std::wstring::npos) {
                return shown;
            }
            if (endsWithin(100)) {
                return {};
            }
        }
        return {};
    }

private:
    // Runs `action` attached to the run's console, then goes back to this
    // process's own (if it had one).
    template <typename Action>
    void withConsole(Action action) const {
        (void)::FreeConsole();
        if (::AttachConsole(process_.dwProcessId) != 0) {
            action();
            (void)::FreeConsole();
        }
        (void)::AttachConsole(ATTACH_PARENT_PROCESS);
    }

    PROCESS_INFORMATION process_ {};
    bool started_ = false;
};

const std::wstring closingLine = L"Press any key to close this window . . .";

// Two packages dropped at once, with a blank and non-ASCII characters in
// their names; neither exists, so each run ends with an error.
TEST(ConsoleWindow, DroppedPackagesKeepTheirWindowOpenUntilAKey) {
    if (!consolesWork()) {
        GTEST_SKIP() << "consoles made here take no input (wine without a display)";
    }
    const TempFolder folder;
    const fs::path first = folder.path() / L"dropped package \u00E9\u56FE.rsb";
    const fs::path second = folder.path() / L"second one.obb";
    WindowRun run(folder.path(), L"\"" + windowsToolPath().wstring() + L"\" \"" + first.wstring() + L"\" \"" +
                                     second.wstring() + L"\"");
    ASSERT_TRUE(run.started()) << "error " << ::GetLastError();
    const std::wstring shown = run.screenOnceItShows(closingLine);
    ASSERT_FALSE(shown.empty()) << "the window closed without waiting, or showed nothing";
    EXPECT_NE(shown.find(L"InPut : " + first.wstring()), std::wstring::npos) << fs::path(shown).string();
    EXPECT_NE(shown.find(L"InPut : " + second.wstring()), std::wstring::npos) << fs::path(shown).string();
    EXPECT_FALSE(run.endsWithin(1000)) << "the run waits for the key";
    ASSERT_TRUE(run.pressKey());
    ASSERT_TRUE(run.endsWithin(60000)) << "the key ends the wait";
    EXPECT_EQ(run.status(), 1U);
}

// From a command prompt, the window is the prompt's: the run ends at once.
TEST(ConsoleWindow, ARunFromACommandPromptEndsWithoutWaiting) {
    const TempFolder folder;
    WindowRun run(folder.path(), L"cmd.exe /c \"\"" + windowsToolPath().wstring() + L"\" missing.rsb\"");
    ASSERT_TRUE(run.started()) << "error " << ::GetLastError();
    ASSERT_TRUE(run.endsWithin(60000)) << fs::path(run.screen()).string();
    EXPECT_EQ(run.status(), 1U);
}

// The names of packages dropped at once reach the run whole, each in turn;
// with its streams redirected, a run on a console of its own does not wait.
TEST(ConsoleWindow, DroppedNamesWithBlanksAndNonAsciiReachTheRun) {
    const TempFolder folder;
    const fs::path first = folder.path() / L"dropped package \u00E9\u56FE.rsb";
    const fs::path second = folder.path() / L"second one.obb";
    const fs::path transcript = folder.path() / "console.txt";
    {
        WindowRun run(folder.path(),
                      L"\"" + windowsToolPath().wstring() + L"\" \"" + first.wstring() + L"\" \"" + second.wstring() + L"\"",
                      &transcript);
        ASSERT_TRUE(run.started()) << "error " << ::GetLastError();
        ASSERT_TRUE(run.endsWithin(60000)) << "a run with its streams redirected does not wait";
        EXPECT_EQ(run.status(), 1U);
    }
    std::ostringstream text;
    text << std::ifstream(transcript, std::ios::binary).rdbuf();
    const std::string shown = text.str();
    EXPECT_NE(shown.find("InPut : " + utf8(first) + "\r\nFile Is Not Exist"), std::string::npos) << shown;
    EXPECT_NE(shown.find("InPut : " + utf8(second) + "\r\nFile Is Not Exist"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("Press any key"), std::string::npos) << shown;
}

} // namespace
