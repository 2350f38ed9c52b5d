#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/Platform.h"

// A package file read whole into one block of exactly its size.
struct PackageFile {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t size = 0;
    std::optional<platform::FileIdentity> identity; // of the file read, when the system gives it

    std::span<const std::uint8_t> view() const { return {bytes.get(), size}; }
};

// Reads the package at the system path `path`. When it cannot, returns
// nothing and fills `failureLines` with what the run prints before "Now
// Exit": "File Is Not Exist " for a path that names nothing; "ResourcePackage
// : CanNot Read : " with the path and the reason for a folder, a special
// file, an unreadable file or one that became shorter while it was read;
// "Error: CanNot Alloc Enought Buffer" and "Need Size: " with the size in
// whole MiB and "M" for one of 4 GiB or more (offsets inside a package are
// 32-bit) or one whose block cannot be had.
std::optional<PackageFile> readPackageFile(const std::string& path, std::vector<std::string>& failureLines);
