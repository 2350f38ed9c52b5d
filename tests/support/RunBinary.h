#pragma once

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

// Runs the real resunpack binary in `folder` with the given arguments and
// standard input, and collects its exit status and both output streams.
struct BinaryRun {
    int status = -1;     // exit status; 128 + signal number when killed by a signal
    bool signaled = false;
    std::string out;
    std::string err;
};

inline std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

inline std::string readFileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs through the POSIX shell; the Windows build reads files only.
#ifndef _WIN32
inline BinaryRun runBinary(const std::filesystem::path& folder, const std::vector<std::string>& arguments,
                           const std::string& input, int timeoutSeconds = 60) {
    static int counter = 0;
    const std::filesystem::path scratch =
        std::filesystem::temp_directory_path() /
        ("resunpack-run-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(scratch);
    {
        std::ofstream(scratch / "in", std::ios::binary) << input;
    }
    std::string command = "cd " + shellQuoted(folder.string()) + " && exec timeout -s KILL " +
                          std::to_string(timeoutSeconds) + " " + shellQuoted(RESUNPACK_BINARY);
    for (const std::string& argument : arguments) {
        command += " " + shellQuoted(argument);
    }
    command += " <" + shellQuoted((scratch / "in").string()) + " >" + shellQuoted((scratch / "out").string()) +
               " 2>" + shellQuoted((scratch / "err").string());
    const int raw = std::system(command.c_str());
    BinaryRun run;
    if (WIFEXITED(raw)) {
        run.status = WEXITSTATUS(raw);
        // The shell reports a child killed by a signal as 128 + the signal.
        run.signaled = run.status > 128;
    } else {
        run.status = 128 + (WIFSIGNALED(raw) ? WTERMSIG(raw) : 0);
        run.signaled = true;
    }
    run.out = readFileText(scratch / "out");
    run.err = readFileText(scratch / "err");
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
    return run;
}
#endif
