#pragma once

#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

// A tmpfs of a given size mounted on a fresh folder, unmounted and removed
// when the object goes, whichever way the test ends. Mounting needs root
// (or the right to mount), which is how CI runs the tests.
class SmallDisk {
public:
    // Mounts; on failure leaves `error` set and nothing mounted.
    SmallDisk(const std::filesystem::path& mountPoint, std::size_t bytes, bool readOnly) : path_(mountPoint) {
        std::filesystem::create_directories(path_);
        const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
        if (::mount("tmpfs", path_.c_str(), "tmpfs", readOnly ? static_cast<unsigned long>(MS_RDONLY) : 0UL,
                    options.c_str()) != 0) {
            error_ = std::strerror(errno);
            return;
        }
        mounted_ = true;
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    ~SmallDisk() {
        if (mounted_) {
            (void)::umount2(path_.c_str(), MNT_DETACH);
        }
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }

    bool mounted() const { return mounted_; }
    const std::string& error() const { return error_; }
    const std::filesystem::path& path() const { return path_; }

    bool remountReadOnly() { return ::mount("tmpfs", path_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0; }

private:
    std::filesystem::path path_;
    bool mounted_ = false;
    std::string error_;
};
