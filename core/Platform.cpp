#include "core/Platform.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#ifdef _WIN32
#include <conio.h>
#include <direct.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace platform {

std::optional<std::string> currentDirectory() {
    std::vector<char> buffer(4096);
    for (;;) {
#ifdef _WIN32
        if (_getcwd(buffer.data(), static_cast<int>(buffer.size())) != nullptr) {
#else
        if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
#endif
            return std::string(buffer.data());
        }
        if (errno != ERANGE || buffer.size() > (std::size_t{1} << 24)) {
            return std::nullopt;
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool changeDirectory(const std::string& path) {
#ifdef _WIN32
    return _chdir(path.c_str()) == 0;
#else
    return ::chdir(path.c_str()) == 0;
#endif
}

bool makeFolder(const std::string& path) {
#ifdef _WIN32
    return _mkdir(path.c_str()) == 0;
#else
    return ::mkdir(path.c_str(), 0777) == 0;
#endif
}

bool removeFile(const std::string& path) { return std::remove(path.c_str()) == 0; }

bool isFolder(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && (info.st_mode & S_IFMT) == S_IFDIR;
}

bool isAbsolutePath(const std::string& path) {
#ifdef _WIN32
    return (path.size() >= 2 && path[1] == ':') || (!path.empty() && (path[0] == '\\' || path[0] == '/'));
#else
    return !path.empty() && path[0] == '/';
#endif
}

std::optional<std::string> homeFolder() {
#ifdef _WIN32
    const char* home = std::getenv("USERPROFILE");
#else
    const char* home = std::getenv("HOME");
#endif
    if (home == nullptr || *home == '\0') {
        return std::nullopt;
    }
    return std::string(home);
}

bool isTerminal(std::FILE* stream) {
#ifdef _WIN32
    return _isatty(_fileno(stream)) != 0;
#else
    return ::isatty(::fileno(stream)) != 0;
#endif
}

void waitForKey(std::FILE* in) {
#ifdef _WIN32
    if (isTerminal(in)) {
        (void)_getch();
        return;
    }
    (void)std::fgetc(in);
#else
    const int fd = ::fileno(in);
    termios saved {};
    if (::isatty(fd) != 0 && ::tcgetattr(fd, &saved) == 0) {
        termios raw = saved;
        raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        if (::tcsetattr(fd, TCSANOW, &raw) == 0) {
            char key = 0;
            (void)::read(fd, &key, 1);
            (void)::tcsetattr(fd, TCSANOW, &saved);
            return;
        }
    }
    (void)std::fgetc(in);
#endif
}

void returnLargeBlocksPromptly() {
#ifdef __GLIBC__
    // A fixed threshold also stops glibc from raising it after each large
    // free, which would let later images come from arenas that keep them.
    (void)mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
}

std::string errorText(int errorNumber) { return std::strerror(errorNumber); }

} // namespace platform
