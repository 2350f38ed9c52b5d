#include "core/FileSystem.h"

#include <cctype>
#include <cerrno>

#include "core/Platform.h"

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        release();
        stream_ = other.stream_;
        other.stream_ = nullptr;
    }
    return *this;
}

void FileHandle::release() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
}

std::optional<std::string> FileHandle::close() {
    if (stream_ == nullptr) {
        return std::nullopt;
    }
    errno = 0;
    const bool flushFailed = std::fflush(stream_) != 0 || std::ferror(stream_) != 0;
    const int flushError = errno;
    const bool closeFailed = std::fclose(stream_) != 0;
    const int closeError = errno;
    stream_ = nullptr;
    if (flushFailed) {
        return platform::errorText(flushError != 0 ? flushError : EIO);
    }
    if (closeFailed) {
        return platform::errorText(closeError != 0 ? closeError : EIO);
    }
    return std::nullopt;
}

PathList& currentDirectory(PathList& list) {
    const std::optional<std::string> folder = platform::currentDirectory();
    if (!folder) {
        list.clear();
        return list;
    }
    return list.split(*folder);
}

bool changeDirectory(const PathList& list) {
    const StringBuffer text = list.join();
    return platform::changeDirectory(std::string(text.view()));
}

void createFolderChain(const PathList& list, std::uint32_t n) {
    std::string text;
    text.reserve(std::size_t{list.textLength()} + list.count() + 1U);
    for (std::uint32_t i = 0; i < n && i < list.count(); ++i) {
        text.append(list[i].view());
        if (!text.empty()) {
            (void)platform::makeFolder(text);
        }
        text.push_back(pathSeparator);
    }
}

FileHandle& openForRead(FileHandle& handle, const PathList& list) {
    const StringBuffer text = list.join();
    handle = FileHandle(text.length() == 0 ? nullptr : std::fopen(text.data(), "rb"));
    return handle;
}

FileHandle& openForWrite(FileHandle& handle, const PathList& list) {
    const StringBuffer text = list.join();
    if (text.length() == 0) {
        handle = FileHandle(nullptr);
        return handle;
    }
    // Most files land in a folder that already exists (a packet writes
    // thousands into a few folders), so the folders are only created when
    // the first attempt says one is missing.
    errno = 0;
    handle = FileHandle(std::fopen(text.data(), "wb"));
    if (!handle && errno == ENOENT && list.count() > 1) {
        createFolderChain(list, list.count() - 1U);
        errno = 0;
        handle = FileHandle(std::fopen(text.data(), "wb"));
    }
    return handle;
}

std::string resolveChosenPath(std::string_view reply, const std::string& currentFolder,
                              const std::optional<std::string>& home) {
    while (!reply.empty() && std::isspace(static_cast<unsigned char>(reply.front())) != 0) {
        reply.remove_prefix(1);
    }
    while (!reply.empty() && std::isspace(static_cast<unsigned char>(reply.back())) != 0) {
        reply.remove_suffix(1);
    }
    if (reply.size() >= 2 && (reply.front() == '"' || reply.front() == '\'') && reply.back() == reply.front()) {
        reply = reply.substr(1, reply.size() - 2);
    }
    if (reply.empty()) {
        return {};
    }
    std::string path(reply);
    if (home && (path == "~" || path.starts_with("~/"))) {
        path = *home + path.substr(1);
    }
    if (!platform::isAbsolutePath(path) && !currentFolder.empty()) {
        std::string absolute = currentFolder;
        if (absolute.back() != '/' && absolute.back() != '\\') {
            absolute.push_back(pathSeparator);
        }
        path = absolute + path;
    }
    return path;
}

PathList& chooseFile(Console& console, PathList& list, const std::optional<std::string>& given) {
    std::string reply;
    if (given) {
        reply = *given;
    } else {
        console.text("Path : ");
        reply = console.readLine().value_or(std::string());
    }
    const std::string chosen =
        resolveChosenPath(reply, console.startFolder(), platform::homeFolder());
    list.split(chosen);
    console.line(list.join().view());
    return list;
}

std::optional<std::string> readWholeFile(const PathList& path, std::string* reason) {
    FileHandle file;
    errno = 0;
    if (!openForRead(file, path)) {
        if (reason != nullptr) {
            *reason = platform::errorText(errno != 0 ? errno : ENOENT);
        }
        return std::nullopt;
    }
    std::string bytes;
    char chunk[65536];
    for (;;) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, file.stream());
        bytes.append(chunk, got);
        if (got < sizeof chunk) {
            break;
        }
    }
    if (std::ferror(file.stream()) != 0) {
        if (reason != nullptr) {
            *reason = platform::errorText(EIO);
        }
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::string> writeWholeFile(const PathList& path, std::span<const std::uint8_t> bytes) {
    FileHandle file;
    errno = 0;
    if (!openForWrite(file, path)) {
        return platform::errorText(errno != 0 ? errno : EIO);
    }
    // A file that could not be written completely is removed, so that no
    // truncated copy is left behind to be taken for a good one.
    errno = 0;
    if (!bytes.empty() && std::fwrite(bytes.data(), bytes.size(), 1, file.stream()) != 1) {
        const int error = errno != 0 ? errno : EIO;
        file.release();
        (void)platform::removeFile(std::string(path.join().view()));
        return platform::errorText(error);
    }
    std::optional<std::string> failure = file.close();
    if (failure) {
        (void)platform::removeFile(std::string(path.join().view()));
    }
    return failure;
}
