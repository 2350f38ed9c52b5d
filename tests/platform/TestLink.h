#pragma once

#include <filesystem>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

#ifdef _WIN32
// True when the program runs under wine rather than on Windows.
inline bool underWine() {
    return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}
#endif

// A symbolic link made for a test at `link` to `target` (a folder link when
// `folder` is set), removed again, the link itself, when it goes. Declare it
// after the TempFolder it lives in, so that it goes first.
//
// On Windows the link is a reparse point made with CreateSymbolicLinkW
// (developer mode, or the privilege to make links). wine makes no Windows
// links (its CreateSymbolicLinkW reports success and makes nothing), so
// there the link is a Unix symbolic link, made and removed by running ln and
// rm: wine shows one to a folder as a reparse point and follows one to a
// file without saying so, both of which the file layer must refuse. (Its
// std::filesystem::remove_all never ends on a Unix link whose folder is
// gone, which is why the link goes first.)
class TestLink {
public:
    TestLink(const std::filesystem::path& target, const std::filesystem::path& link, bool folder)
        : link_(link), folder_(folder) {
        failure_ = make(target);
    }
    TestLink(TestLink&& other) noexcept
        : link_(std::move(other.link_)), folder_(other.folder_), failure_(std::move(other.failure_)),
          unix_(std::move(other.unix_)) {
        other.link_.clear();
    }
    TestLink(const TestLink&) = delete;
    TestLink& operator=(const TestLink&) = delete;
    TestLink& operator=(TestLink&&) = delete;
    ~TestLink() {
        if (!link_.empty() && failure_.empty()) {
            remove();
        }
    }

    // Why the link could not be made, empty when it was.
    const std::string& failure() const { return failure_; }

private:
#ifndef _WIN32
    std::string make(const std::filesystem::path& target) {
        std::error_code failed;
        if (folder_) {
            std::filesystem::create_directory_symlink(target, link_, failed);
        } else {
            std::filesystem::create_symlink(target, link_, failed);
        }
        return failed ? failed.message() : std::string();
    }
    void remove() {
        std::error_code ignored;
        std::filesystem::remove(link_, ignored);
    }
#else
    bool present() const {
        return ::GetFileAttributesW(link_.c_str()) != INVALID_FILE_ATTRIBUTES ||
               ::GetLastError() != ERROR_FILE_NOT_FOUND;
    }

    // Runs a Unix program under wine; false when this is not wine.
    static bool runUnix(const std::wstring& program, std::wstring arguments) {
        std::wstring command = program + L" " + arguments;
        STARTUPINFOW startup {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process {};
        if (::CreateProcessW((L"Z:" + program).c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &process) == 0) {
            return false;
        }
        ::CloseHandle(process.hThread);
        ::CloseHandle(process.hProcess);
        return true;
    }

    // The Unix name of a path under wine, empty elsewhere.
    static std::wstring unixName(const std::filesystem::path& path) {
        using UnixFileName = char*(CDECL*)(const wchar_t*);
        const auto unixFileName = reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(
            ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
        if (unixFileName == nullptr) {
            return {};
        }
        char* name = unixFileName(path.c_str());
        const std::string text = name != nullptr ? name : "";
        ::HeapFree(::GetProcessHeap(), 0, name);
        return std::filesystem::path(std::u8string(text.begin(), text.end())).wstring();
    }

    // wine does not wait for a Unix process: waits for the link to come or go.
    bool waitUntilPresent(bool wanted) const {
        for (int tries = 0; tries < 1000 && present() != wanted; ++tries) {
            ::Sleep(10);
        }
        return present() == wanted;
    }

    std::string make(const std::filesystem::path& target) {
        const DWORD flags =
            SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE | (folder_ ? SYMBOLIC_LINK_FLAG_DIRECTORY : DWORD {0});
        if (::CreateSymbolicLinkW(link_.c_str(), target.c_str(), flags) != 0 && present()) {
            return {};
        }
        const std::string windowsError = std::to_string(::GetLastError());
        const std::wstring unixTarget = unixName(target);
        const std::wstring unixFolder = unixName(link_.parent_path());
        if (unixTarget.empty() || unixFolder.empty()) {
            return "CreateSymbolicLinkW failed with error " + windowsError;
        }
        unix_ = unixFolder + L"/" + link_.filename().wstring();
        if (!runUnix(L"/bin/ln", L"-s \"" + unixTarget + L"\" \"" + unix_ + L"\"")) {
            return "neither CreateSymbolicLinkW (error " + windowsError + ") nor ln made a link";
        }
        return waitUntilPresent(true) ? std::string() : "ln made no link at " + link_.string();
    }

    void remove() {
        if (!unix_.empty()) {
            if (runUnix(L"/bin/rm", L"-f \"" + unix_ + L"\"")) {
                (void)waitUntilPresent(false);
            }
        } else if (::DeleteFileW(link_.c_str()) == 0) {
            (void)::RemoveDirectoryW(link_.c_str());
        }
    }
#endif

    std::filesystem::path link_;
    bool folder_;
    std::string failure_;
    std::wstring unix_; // the link's Unix name when wine made it with ln
};
