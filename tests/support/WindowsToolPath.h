#pragma once

// Windows tests only: where resunpack.exe of the same build lies.

#include <windows.h>

#include <filesystem>
#include <string>

// resunpack.exe of the same build: two folders above the running test's own.
inline std::filesystem::path windowsToolPath() {
    std::wstring own(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, own.data(), static_cast<DWORD>(own.size()));
        if (length < own.size()) {
            own.resize(length);
            break;
        }
        own.resize(own.size() * 2);
    }
    return std::filesystem::path(own).parent_path().parent_path().parent_path() / "resunpack.exe";
}
