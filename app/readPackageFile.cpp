#include "app/readPackageFile.h"

#include <cerrno>
#include <new>
#include <utility>

#include "core/printableName.h"
#include "platform/FileSystem.h"
#include "platform/Interruption.h"
#include "platform/Platform.h"

namespace {

// Offsets inside a package are 32-bit, so no package reaches 4 GiB.
constexpr std::uint64_t packageSizeLimit = std::uint64_t {1} << 32;

// Closes the package file however the reading ends.
struct OpenFile {
    platform::NativeHandle handle = platform::noHandle();
    OpenFile() = default;
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile() { platform::closeHandle(handle); }
};

std::optional<PackageFile> fail(std::vector<std::string>& failureLines, std::vector<std::string> lines) {
    failureLines = std::move(lines);
    return std::nullopt;
}

std::optional<PackageFile> cannotAlloc(std::vector<std::string>& failureLines, std::uint64_t size) {
    return fail(failureLines, {"Error: CanNot Alloc Enought Buffer", "Need Size: " + std::to_string(size >> 20U) + "M"});
}

} // namespace

PackageFile::PackageFile(PackageFile&& other) noexcept
    : mapped_(std::exchange(other.mapped_, nullptr)), bytes_(std::move(other.bytes_)),
      size_(std::exchange(other.size_, 0)), identity_(std::exchange(other.identity_, std::nullopt)) {}

PackageFile& PackageFile::operator=(PackageFile&& other) noexcept {
    if (this != &other) {
        release();
        mapped_ = std::exchange(other.mapped_, nullptr);
        bytes_ = std::move(other.bytes_);
        size_ = std::exchange(other.size_, 0);
        identity_ = std::exchange(other.identity_, std::nullopt);
    }
    return *this;
}

PackageFile::~PackageFile() { release(); }

void PackageFile::release() noexcept {
    if (mapped_ != nullptr) {
        watchMappedPackage(nullptr, 0, {});
        platform::unmapFile(mapped_, size_);
        mapped_ = nullptr;
    }
    bytes_.reset();
    size_ = 0;
}

std::optional<PackageFile> readPackageFile(const std::string& path, std::vector<std::string>& failureLines,
                                           bool mayMap) {
    if (path.empty()) {
        return fail(failureLines, {"File Is Not Exist "});
    }
    OpenFile file;
    std::uint64_t size = 0;
    if (const int error = platform::openRegularFilePath(path, file.handle, size); error != 0) {
        if (error == ENOENT || error == ENOTDIR) {
            return fail(failureLines, {"File Is Not Exist "});
        }
        if (const std::optional<std::string> disallowed = platform::disallowedNameReason(error, path)) {
            return fail(failureLines, {"ResourcePackage : CanNot Read : " + path + " : " + *disallowed});
        }
        return fail(failureLines, {"ResourcePackage : CanNot Read : " + path + " : " +
                                   (error == EISDIR   ? std::string("is a folder, not a package file")
                                    : error == EINVAL ? std::string("is not a regular file")
                                                      : platform::errorText(error))});
    }
    if (size >= packageSizeLimit) {
        return cannotAlloc(failureLines, size);
    }
    PackageFile package;
    if (platform::FileIdentity identity; platform::fileIdentity(file.handle, identity) == 0) {
        package.identity_ = identity;
    }
    if (mayMap && size != 0 && platform::mapFileReadOnly(file.handle, size, package.mapped_) == 0) {
        package.size_ = static_cast<std::size_t>(size);
        watchMappedPackage(package.mapped_, size,
                           // Written from the fault handler, past the console: the
                           // name is escaped here, as the console would on a terminal.
                           "ResourcePackage : CanNot Read : " + printableName(path) +
                               " : the file changed while it was read\n" +
                               "Now Exit\n");
        return package;
    }
    // Where the file cannot be mapped, it is read whole.
    package.size_ = static_cast<std::size_t>(size);
    try {
        package.bytes_ = std::make_unique_for_overwrite<std::uint8_t[]>(package.size_);
    } catch (const std::bad_alloc&) {
        return cannotAlloc(failureLines, size);
    }
    if (const std::optional<std::string> reason =
            readExactly(file.handle, std::span<std::uint8_t>(package.bytes_.get(), package.size_))) {
        return fail(failureLines, {"ResourcePackage : CanNot Read : " + path + " : " + *reason});
    }
    return package;
}
