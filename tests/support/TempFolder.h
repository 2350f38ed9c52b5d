#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

// A fresh folder under the system's temporary folder, made the current
// directory for the test's lifetime and removed afterwards.
class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "resunpack-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
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
