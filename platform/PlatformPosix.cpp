#include "platform/Platform.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <fcntl.h>
#include <sys/mman.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

// The POSIX side of the platform layer: descriptors, openat and its kin, a
// sigwait thread for the interruption signals.

namespace platform {

std::vector<std::string> commandLineArguments(int argc, char** argv) {
    return std::vector<std::string>(argv + std::min(argc, 1), argv + argc);
}

void prepareConsole() {}

std::optional<std::string> fileFromDialog() { return std::nullopt; }

std::optional<std::string> currentDirectory() {
    std::vector<char> buffer(4096);
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
            return std::string(buffer.data());
        }
        if (errno != ERANGE || buffer.size() > (std::size_t{1} << 24)) {
            return std::nullopt;
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool isAbsolutePath(const std::string& path) { return !path.empty() && path[0] == '/'; }

std::string absolutePath(const std::string& path, const std::string& currentFolder) {
    if (isAbsolutePath(path) || currentFolder.empty()) {
        return path;
    }
    return currentFolder + (currentFolder.back() == '/' ? "" : "/") + path;
}

bool sameEntryName(const std::string& first, const std::string& second) { return first == second; }

std::optional<unsigned> consoleProcessCount() { return std::nullopt; }

std::optional<std::string> homeFolder() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        return std::nullopt;
    }
    return std::string(home);
}

bool isTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) != 0; }

namespace {

// The terminal settings waitForKey changed, kept for restoreTerminal.
struct SavedTerminal {
    std::mutex lock;
    bool changed = false;
    int fd = -1;
    termios settings {};
};

SavedTerminal& savedTerminal() {
    static SavedTerminal saved;
    return saved;
}

} // namespace

void waitForKey(std::FILE* in) {
    const int fd = ::fileno(in);
    termios saved {};
    if (::isatty(fd) != 0 && ::tcgetattr(fd, &saved) == 0) {
        termios raw = saved;
        raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        SavedTerminal& terminal = savedTerminal();
        bool changed = false;
        {
            const std::lock_guard<std::mutex> hold(terminal.lock);
            terminal.fd = fd;
            terminal.settings = saved;
            terminal.changed = ::tcsetattr(fd, TCSANOW, &raw) == 0;
            changed = terminal.changed;
        }
        // Never wait with the lock held: the interruption handler takes it
        // to give the terminal back before the run ends.
        if (!changed) {
            (void)std::fgetc(in);
            return;
        }
        char key = 0;
        (void)::read(fd, &key, 1);
        const std::lock_guard<std::mutex> hold(terminal.lock);
        (void)::tcsetattr(fd, TCSANOW, &saved);
        terminal.changed = false;
        return;
    }
    (void)std::fgetc(in);
}

void waitAtEnd(std::FILE* in) { (void)std::fgetc(in); }

void restoreTerminal() noexcept {
    SavedTerminal& terminal = savedTerminal();
    const std::lock_guard<std::mutex> hold(terminal.lock);
    if (terminal.changed) {
        (void)::tcsetattr(terminal.fd, TCSANOW, &terminal.settings);
        terminal.changed = false;
    }
}

void returnLargeBlocksPromptly() {
#ifdef __GLIBC__
    // A fixed threshold also stops glibc from raising it after each large
    // free, which would let later images come from arenas that keep them.
    (void)mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
}

std::string errorText(int errorNumber) { return std::strerror(errorNumber); }

std::optional<std::string> disallowedNameReason(int /*errorNumber*/, std::string_view /*path*/) { return std::nullopt; }

NativeHandle noHandle() noexcept { return -1; }

void closeHandle(NativeHandle handle) noexcept {
    if (handle >= 0) {
        (void)::close(handle);
    }
}

namespace {

EntryKind kindOf(mode_t mode) {
    switch (mode & S_IFMT) {
    case S_IFDIR:
        return EntryKind::folder;
    case S_IFREG:
        return EntryKind::file;
    case S_IFLNK:
        return EntryKind::link;
    case S_IFIFO:
        return EntryKind::fifo;
    case S_IFCHR:
    case S_IFBLK:
        return EntryKind::device;
    case S_IFSOCK:
        return EntryKind::socket;
    default:
        return EntryKind::other;
    }
}

int lastError(int fallback = EIO) { return errno != 0 ? errno : fallback; }

} // namespace

EntryKind entryKind(NativeHandle folder, const std::string& name, int& error) {
    struct stat info {};
    error = 0;
    if (::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT) {
            return EntryKind::missing;
        }
        error = lastError();
        return EntryKind::other;
    }
    return kindOf(info.st_mode);
}

int openFolderPath(const std::string& path, NativeHandle& folder) {
    folder = noHandle();
    // Each missing ancestor is created in turn; the first creation that fails
    // for another reason than an existing entry is the reason to give when
    // the folder then cannot be opened.
    int creationError = 0;
    std::filesystem::path prefix;
    for (const std::filesystem::path& component : std::filesystem::path(path)) {
        prefix /= component;
        if (component.empty() || component == "/" || component == "." || component == "..") {
            continue;
        }
        errno = 0;
        if (::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST && creationError == 0) {
            creationError = lastError();
        }
    }
    errno = 0;
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        const int error = lastError(ENOENT);
        return error == ENOENT && creationError != 0 ? creationError : error;
    }
    folder = fd;
    return 0;
}

int openFolderAt(NativeHandle parent, const std::string& name, bool create, NativeHandle& folder) {
    folder = noHandle();
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    errno = 0;
    int fd = ::openat(parent, name.c_str(), flags);
    if (fd < 0 && errno == ENOENT && create) {
        errno = 0;
        if (::mkdirat(parent, name.c_str(), 0777) != 0 && errno != EEXIST) {
            return lastError();
        }
        errno = 0;
        fd = ::openat(parent, name.c_str(), flags);
    }
    if (fd < 0) {
        return lastError();
    }
    folder = fd;
    return 0;
}

int createNewFileAt(NativeHandle folder, const std::string& name, NativeHandle& file) {
    file = noHandle();
    errno = 0;
    const int fd = ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) {
        return lastError();
    }
    file = fd;
    return 0;
}

int writeAll(NativeHandle file, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        errno = 0;
        const ssize_t written = ::write(file, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return lastError();
        }
        if (written == 0) {
            return ENOSPC;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return 0;
}

int closeWrittenFile(NativeHandle file) {
    errno = 0;
    if (::close(file) != 0 && errno != EINTR) {
        return lastError();
    }
    return 0;
}

int replaceAt(NativeHandle folder, const std::string& from, const std::string& to) {
    errno = 0;
    return ::renameat(folder, from.c_str(), folder, to.c_str()) == 0 ? 0 : lastError();
}

int removeAt(NativeHandle folder, const std::string& name) noexcept {
    errno = 0;
    return ::unlinkat(folder, name.c_str(), 0) == 0 ? 0 : lastError();
}

namespace {

// Keeps only a regular file open; anything else is closed with the reason.
int keepRegularFile(int fd, NativeHandle& file, std::uint64_t& size) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = lastError();
        (void)::close(fd);
        return error;
    }
    if (!S_ISREG(info.st_mode)) {
        (void)::close(fd);
        return S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    }
    // The descriptor was opened without waiting for a FIFO's writer; reads
    // of a regular file wait as usual.
    (void)::fcntl(fd, F_SETFL, 0);
    file = fd;
    size = static_cast<std::uint64_t>(info.st_size);
    return 0;
}

} // namespace

int openRegularFileAt(NativeHandle folder, const std::string& name, NativeHandle& file, std::uint64_t& size) {
    file = noHandle();
    size = 0;
    errno = 0;
    const int fd = ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return lastError();
    }
    return keepRegularFile(fd, file, size);
}

int openRegularFilePath(const std::string& path, NativeHandle& file, std::uint64_t& size) {
    file = noHandle();
    size = 0;
    errno = 0;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return lastError(ENOENT);
    }
    return keepRegularFile(fd, file, size);
}

int readSome(NativeHandle file, std::span<std::uint8_t> bytes, std::size_t& got) {
    got = 0;
    for (;;) {
        errno = 0;
        const ssize_t read = ::read(file, bytes.data(), bytes.size());
        if (read < 0) {
            if (errno == EINTR) {
                continue;
            }
            return lastError();
        }
        got = static_cast<std::size_t>(read);
        return 0;
    }
}

int fileIdentity(NativeHandle file, FileIdentity& identity) {
    struct stat info {};
    errno = 0;
    if (::fstat(file, &info) != 0) {
        return lastError();
    }
    identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
    return 0;
}

int fileIdentityAt(NativeHandle folder, const std::string& name, FileIdentity& identity) {
    struct stat info {};
    errno = 0;
    if (::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        return lastError(ENOENT);
    }
    identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
    return 0;
}

int mapFileReadOnly(NativeHandle file, std::uint64_t size, const std::uint8_t*& view) {
    view = nullptr;
    if (size == 0 || size > std::numeric_limits<std::size_t>::max()) {
        return EINVAL;
    }
    void* mapped = ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_PRIVATE, file, 0);
    if (mapped == MAP_FAILED) {
        return lastError(ENOMEM);
    }
    view = static_cast<const std::uint8_t*>(mapped);
    return 0;
}

void unmapFile(const std::uint8_t* view, std::uint64_t size) noexcept {
    if (view != nullptr) {
        (void)::munmap(const_cast<std::uint8_t*>(view), static_cast<std::size_t>(size));
    }
}

namespace {

// The watched range, read by the fault handler on whichever thread faults.
std::atomic<std::uintptr_t> watchedBegin {0};
std::atomic<std::uintptr_t> watchedEnd {0};
std::atomic<void (*)() noexcept> watchedOnFault {nullptr};

void onBusError(int signalNumber, siginfo_t* info, void*) {
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    void (*onFault)() noexcept = watchedOnFault.load();
    if (onFault != nullptr && address >= watchedBegin.load() && address < watchedEnd.load()) {
        onFault();
    }
    // Not the mapped package: the fault keeps its usual effect once the
    // handler returns and the faulting access runs again.
    struct sigaction usual {};
    usual.sa_handler = SIG_DFL;
    sigemptyset(&usual.sa_mask);
    (void)::sigaction(signalNumber, &usual, nullptr);
}

} // namespace

void watchMappedFileFaults(const std::uint8_t* begin, std::uint64_t size, void (*onFault)() noexcept) {
    if (begin == nullptr || size == 0) {
        watchedOnFault.store(nullptr);
        watchedBegin.store(0);
        watchedEnd.store(0);
        return;
    }
    watchedOnFault.store(nullptr);
    watchedBegin.store(reinterpret_cast<std::uintptr_t>(begin));
    watchedEnd.store(reinterpret_cast<std::uintptr_t>(begin) + static_cast<std::uintptr_t>(size));
    watchedOnFault.store(onFault);
    struct sigaction handler {};
    handler.sa_sigaction = onBusError;
    handler.sa_flags = SA_SIGINFO;
    sigemptyset(&handler.sa_mask);
    (void)::sigaction(SIGBUS, &handler, nullptr);
}

void writeToStandardOutputNow(std::string_view text) noexcept {
    while (!text.empty()) {
        const ssize_t written = ::write(STDOUT_FILENO, text.data(), text.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
}

namespace {

constexpr int interruptionSignals[] = {SIGINT, SIGTERM, SIGHUP};

} // namespace

void watchInterruptions(void (*onInterrupt)(int signalNumber)) {
    sigset_t watched;
    sigemptyset(&watched);
    for (const int signalNumber : interruptionSignals) {
        struct sigaction current {};
        // A signal the parent set to be ignored (nohup, a background job)
        // stays ignored.
        if (::sigaction(signalNumber, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
            continue;
        }
        sigaddset(&watched, signalNumber);
    }
    // Blocked here, before any other thread exists, they stay blocked in
    // every thread started later; only the watching thread takes them.
    if (::pthread_sigmask(SIG_BLOCK, &watched, nullptr) != 0) {
        return;
    }
    try {
        std::thread([watched, onInterrupt] {
            for (;;) {
                int signalNumber = 0;
                if (::sigwait(&watched, &signalNumber) == 0) {
                    onInterrupt(signalNumber);
                }
            }
        }).detach();
    } catch (...) {
        // Without the watcher the signals must not stay blocked.
        (void)::pthread_sigmask(SIG_UNBLOCK, &watched, nullptr);
        throw;
    }
}

void exitNow(int status) noexcept { ::_exit(status); }

std::uint32_t processNumber() noexcept { return static_cast<std::uint32_t>(::getpid()); }

} // namespace platform
