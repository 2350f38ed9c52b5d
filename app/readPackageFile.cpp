#include "app/readPackageFile.h"

#include <cstdio>
#include <new>

#include "core/FileSystem.h"

namespace {

// Offsets inside a package are 32-bit, so no package reaches 4 GiB.
constexpr std::uint64_t packageSizeLimit = std::uint64_t{1} << 32;

// Size of an open stream, measured from its current position to its end.
std::optional<std::uint64_t> streamSize(std::FILE* stream) {
#ifdef _WIN32
    if (_fseeki64(stream, 0, SEEK_END) != 0) {
        return std::nullopt;
    }
    const long long end = _ftelli64(stream);
#else
    if (fseeko(stream, 0, SEEK_END) != 0) {
        return std::nullopt;
    }
    const off_t end = ftello(stream);
#endif
    if (end < 0) {
        return std::nullopt;
    }
    std::rewind(stream);
    return static_cast<std::uint64_t>(end);
}

std::optional<PackageFile> fileIsNotExist(std::vector<std::string>& failureLines) {
    failureLines = {"File Is Not Exist "};
    return std::nullopt;
}

std::optional<PackageFile> cannotAlloc(std::vector<std::string>& failureLines, std::uint64_t size) {
    failureLines = {"Error: CanNot Alloc Enought Buffer", "Need Size: " + std::to_string(size >> 20U) + "M"};
    return std::nullopt;
}

} // namespace

std::optional<PackageFile> readPackageFile(const PathList& path, std::vector<std::string>& failureLines) {
    FileHandle file;
    if (!openForRead(file, path)) {
        return fileIsNotExist(failureLines);
    }
    const std::optional<std::uint64_t> size = streamSize(file.stream());
    if (!size) {
        return fileIsNotExist(failureLines);
    }
    if (*size >= packageSizeLimit) {
        return cannotAlloc(failureLines, *size);
    }
    PackageFile package;
    package.size = static_cast<std::size_t>(*size);
    try {
        package.bytes = std::make_unique_for_overwrite<std::uint8_t[]>(package.size);
    } catch (const std::bad_alloc&) {
        return cannotAlloc(failureLines, *size);
    }
    if (package.size != 0 && std::fread(package.bytes.get(), package.size, 1, file.stream()) != 1) {
        return fileIsNotExist(failureLines);
    }
    return package;
}
