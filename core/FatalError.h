#pragma once

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

// Damaged or malformed package data. Raised wherever it is found; the program
// flow ends the run with "ResourcePackage : Format Error", a tab and `what()`,
// then "Now Exit" and exit status 1.
class PackageFormatError : public std::runtime_error {
public:
    explicit PackageFormatError(const std::string& reason) : std::runtime_error(reason) {}
};

// Memory that a run needs could not be had. A std::bad_alloc, so that the
// handler for any failed allocation catches it, but with a reason that says
// what the memory was for.
class NotEnoughMemory : public std::bad_alloc {
public:
    explicit NotEnoughMemory(std::string reason) : reason_(std::move(reason)) {}
    const char* what() const noexcept override { return reason_.c_str(); }

private:
    std::string reason_;
};

// Any other condition that ends the run: the given lines are printed, then
// "Now Exit"; `pause` asks for the console pause in an interactive run.
// The exit status is 1.
class RunAborted : public std::runtime_error {
public:
    RunAborted(std::vector<std::string> lines, bool pause)
        : std::runtime_error(lines.empty() ? std::string("run aborted") : lines.front()),
          lines_(std::move(lines)),
          pause_(pause) {}

    const std::vector<std::string>& lines() const { return lines_; }
    bool pause() const { return pause_; }

private:
    std::vector<std::string> lines_;
    bool pause_;
};

// The user's answer 0 at the unlisted-format prompt: the package's run ends as
// for RunAborted (no lines, the pause), and a command naming several packages
// goes no further.
class ExitRequested : public RunAborted {
public:
    ExitRequested() : RunAborted({}, true) {}
};
