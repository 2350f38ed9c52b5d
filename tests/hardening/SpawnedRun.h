#pragma once

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <thread>
#include <vector>

// Runs the real binary as a child process with what the shell-based runner
// cannot give: a signal sent at a chosen point of its output, a limit on its
// address space, or a pseudo-terminal as its console.
struct SpawnSettings {
    std::filesystem::path folder;
    std::vector<std::string> arguments;
    // A hang guard only: no run of these tests comes near it.
    int timeoutSeconds = 30;
    std::optional<rlim_t> addressSpace;
    // When not 0: sent once `afterLines` lines of output have arrived and
    // `afterMicroseconds` more have passed.
    int signalNumber = 0;
    std::size_t afterLines = 0;
    unsigned afterMicroseconds = 0;
    bool terminal = false;
    std::string typed; // typed on the terminal at the start
    // A terminal run: `signalNumber` is sent once the tool has switched echo
    // off (waiting for one key), instead of after some lines.
    bool signalWhenEchoOff = false;
    std::vector<std::string> environment; // NAME=VALUE settings added for the run
};

struct SpawnedRun {
    bool exited = false;  // ended by exit, with `status`
    int status = -1;
    int signal = 0;       // the signal that ended it, when not exited
    bool timedOut = false;
    bool signalSent = false;
    bool terminalEchoes = false; // a terminal run: echo and line mode on at the end
    std::string out;      // standard output and error together
};

inline SpawnedRun spawnBinary(const SpawnSettings& settings) {
    std::vector<std::string> argv = {RESUNPACK_BINARY};
    argv.insert(argv.end(), settings.arguments.begin(), settings.arguments.end());
    std::vector<char*> pointers;
    for (std::string& argument : argv) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);

    int reading = -1;
    pid_t child = -1;
    if (settings.terminal) {
        child = ::forkpty(&reading, nullptr, nullptr, nullptr);
    } else {
        int pipeEnds[2];
        if (::pipe(pipeEnds) != 0) {
            return {};
        }
        child = ::fork();
        if (child == 0) {
            ::dup2(pipeEnds[1], 1);
            ::dup2(pipeEnds[1], 2);
            const int nothing = ::open("/dev/null", O_RDONLY);
            ::dup2(nothing, 0);
        }
        ::close(pipeEnds[1]);
        reading = pipeEnds[0];
        if (child == 0) {
            ::close(reading);
        }
    }
    if (child == 0) {
        // The test process may block signals; the tool starts as a shell would start it.
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        if (::chdir(settings.folder.c_str()) != 0) {
            ::_exit(126);
        }
        for (const std::string& setting : settings.environment) {
            ::putenv(const_cast<char*>(setting.c_str()));
        }
        if (settings.addressSpace) {
            const rlimit limit {*settings.addressSpace, *settings.addressSpace};
            ::setrlimit(RLIMIT_AS, &limit);
        }
        ::execv(pointers[0], pointers.data());
        ::_exit(127);
    }

    SpawnedRun run;
    if (settings.terminal && !settings.typed.empty()) {
        (void)::write(reading, settings.typed.data(), settings.typed.size());
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(settings.timeoutSeconds);
    std::size_t lines = 0;
    char buffer[4096];
    for (;;) {
        bool due = lines >= settings.afterLines;
        if (settings.signalWhenEchoOff) {
            termios modes {};
            due = ::tcgetattr(reading, &modes) == 0 && (modes.c_lflag & ECHO) == 0;
        }
        if (settings.signalNumber != 0 && !run.signalSent && due) {
            std::this_thread::sleep_for(std::chrono::microseconds(settings.afterMicroseconds));
            ::kill(child, settings.signalNumber);
            run.signalSent = true;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            ::kill(child, SIGKILL);
            run.timedOut = true;
            break;
        }
        pollfd wait {reading, POLLIN, 0};
        // A terminal's modes are looked at again every few milliseconds.
        const int pollTime = settings.signalWhenEchoOff && !run.signalSent ? 5 : static_cast<int>(left.count());
        if (::poll(&wait, 1, pollTime) <= 0) {
            continue;
        }
        const ssize_t got = ::read(reading, buffer, sizeof buffer);
        if (got <= 0) {
            break; // end of output (a pseudo-terminal reports EIO once the child is gone)
        }
        for (ssize_t i = 0; i < got; ++i) {
            lines += buffer[i] == '\n' ? 1U : 0U;
        }
        run.out.append(buffer, static_cast<std::size_t>(got));
    }
    int raw = 0;
    ::waitpid(child, &raw, 0);
    if (settings.terminal) {
        termios modes {};
        run.terminalEchoes = ::tcgetattr(reading, &modes) == 0 && (modes.c_lflag & ECHO) != 0 &&
                             (modes.c_lflag & ICANON) != 0;
    }
    ::close(reading);
    run.exited = WIFEXITED(raw);
    run.status = run.exited ? WEXITSTATUS(raw) : -1;
    run.signal = WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
    return run;
}
