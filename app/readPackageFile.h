#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/Platform.h"

// A package file's bytes: mapped into memory read-only where the system
// allows it, so that only the pages a run reads are ever loaded, otherwise
// read whole into one block of exactly its size. While it is mapped, a read
// that faults because the file shrank ends the run with a clean failure
// (watchMappedPackage).
class PackageFile {
public:
    PackageFile() = default;
    PackageFile(PackageFile&& other) noexcept;
    PackageFile& operator=(PackageFile&& other) noexcept;
    PackageFile(const PackageFile&) = delete;
    PackageFile& operator=(const PackageFile&) = delete;
    ~PackageFile();

    std::span<const std::uint8_t> view() const { return {mapped_ != nullptr ? mapped_ : bytes_.get(), size_}; }
    bool isMapped() const { return mapped_ != nullptr; }
    // Of the file read, when the system gives it.
    const std::optional<platform::FileIdentity>& identity() const { return identity_; }

private:
    friend std::optional<PackageFile> readPackageFile(const std::string&, std::vector<std::string>&, bool);
    void release() noexcept;

    const std::uint8_t* mapped_ = nullptr;
    std::unique_ptr<std::uint8_t[]> bytes_;
    std::size_t size_ = 0;
    std::optional<platform::FileIdentity> identity_;
};

// Reads the package at the system path `path`. When it cannot, returns
// nothing and fills `failureLines` with what the run prints before "Now
// Exit": "File Is Not Exist " for a path that names nothing; "ResourcePackage
// : CanNot Read : " with the path and the reason for a folder, a special
// file, an unreadable file or one that became shorter while it was read;
// "Error: CanNot Alloc Enought Buffer" and "Need Size: " with the size in
// whole MiB and "M" for one of 4 GiB or more (offsets inside a package are
// 32-bit) or one whose block cannot be had. `mayMap` false reads the file
// even where it could be mapped.
std::optional<PackageFile> readPackageFile(const std::string& path, std::vector<std::string>& failureLines,
                                           bool mayMap = true);
