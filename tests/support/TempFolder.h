#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

// A fresh folder under the system's temporary folder, made the current
// directory for the test's lifetime and removed afterwards.
class TempFolder {
public:
    TempFolder() {
#ifdef _WIN32
        // A name no other folder has: create_directory fails on one that exists.
        static unsigned count = 0;
        for (;;) {
            path_ = std::filesystem::temp_directory_path() /
                    ("resunpack-test-" + std::to_string(::_getpid()) + "-" + std::to_string(count++));
            if (std::filesystem::create_directory(path_)) {
                break;
            }
        }
#else
        std::string pattern = (std::filesystem::temp_directory_path() / "resunpack-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
#endif
        saved_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::current_path(saved_, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    std::filesystem::path saved_;
};
