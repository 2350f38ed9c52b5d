#include "platform/FileSystem.h"

#include <cctype>
#include <cerrno>
#include <filesystem>
#include <span>

#include "platform/Platform.h"

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
    return platform::absolutePath(path, currentFolder);
}

std::string chooseFile(Console& console, const std::optional<std::string>& given) {
    std::string reply;
    if (given) {
        reply = *given;
    } else if (std::optional<std::string> picked = platform::isTerminal(console.input())
                                                       ? platform::fileFromDialog()
                                                       : std::nullopt) {
        // The user at the console picks the file in the system's dialog;
        // answers piped in are read as on every platform.
        reply = std::move(*picked);
    } else {
        console.text("Path : ");
        reply = console.readLine().value_or(std::string());
    }
    std::string chosen = resolveChosenPath(reply, console.startFolder(), platform::homeFolder());
    console.line(chosen);
    return chosen;
}

namespace {

// Paths are UTF-8 text in the program; a std::filesystem::path made from a
// plain std::string would read it in the ANSI code page on Windows.
std::filesystem::path pathOf(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string textOf(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace

std::string fileNameOf(const std::string& path) { return textOf(pathOf(path).filename()); }

std::string folderOf(const std::string& path) {
    const std::filesystem::path folder = pathOf(path).parent_path();
    return folder.empty() ? std::string(".") : textOf(folder);
}

std::optional<std::string> readWholeFile(const std::string& path, std::uint64_t sizeLimit, std::string* reason) {
    const auto fail = [reason](std::string why) -> std::optional<std::string> {
        if (reason != nullptr) {
            *reason = std::move(why);
        }
        return std::nullopt;
    };
    if (path.empty()) {
        return fail(platform::errorText(ENOENT));
    }
    platform::NativeHandle file = platform::noHandle();
    std::uint64_t size = 0;
    if (const int error = platform::openRegularFilePath(path, file, size); error != 0) {
        if (std::optional<std::string> disallowed = platform::disallowedNameReason(error, path)) {
            return fail(std::move(*disallowed));
        }
        return fail(error == EINVAL ? std::string("not a regular file") : platform::errorText(error));
    }
    struct Closer {
        platform::NativeHandle handle;
        ~Closer() { platform::closeHandle(handle); }
    } closer {file};
    if (size > sizeLimit) {
        return fail("larger than " + std::to_string(sizeLimit) + " bytes");
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    std::size_t filled = 0;
    std::uint8_t probe = 0;
    for (;;) {
        std::span<std::uint8_t> room(&probe, 1);
        if (filled < bytes.size()) {
            room = std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(bytes.data()) + filled,
                                           bytes.size() - filled);
        }
        std::size_t got = 0;
        if (const int error = platform::readSome(file, room, got); error != 0) {
            return fail(platform::errorText(error));
        }
        if (got == 0) {
            break;
        }
        if (filled >= bytes.size()) {
            return fail("grew while it was read");
        }
        filled += got;
    }
    if (filled != bytes.size()) {
        return fail("read " + std::to_string(filled) + " of its " + std::to_string(bytes.size()) +
                    " bytes: it became shorter while it was read");
    }
    return bytes;
}

std::optional<std::string> readExactly(platform::NativeHandle file, std::span<std::uint8_t> bytes) {
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        std::size_t got = 0;
        if (const int error = platform::readSome(file, bytes.subspan(filled), got); error != 0) {
            return "read " + std::to_string(filled) + " of its " + std::to_string(bytes.size()) +
                   " bytes, then: " + platform::errorText(error);
        }
        if (got == 0) {
            return "read " + std::to_string(filled) + " of its " + std::to_string(bytes.size()) +
                   " bytes: it became shorter while it was read";
        }
        filled += got;
    }
    return std::nullopt;
}

std::optional<platform::FileIdentity> fileIdentityOfPath(const std::string& path) {
    platform::NativeHandle file = platform::noHandle();
    std::uint64_t size = 0;
    if (platform::openRegularFilePath(path, file, size) != 0) {
        return std::nullopt;
    }
    platform::FileIdentity identity;
    const int error = platform::fileIdentity(file, identity);
    platform::closeHandle(file);
    if (error != 0) {
        return std::nullopt;
    }
    return identity;
}
