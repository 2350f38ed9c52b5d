#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/Platform.h"

// What an interrupted run leaves behind: SIGINT, SIGTERM and SIGHUP remove the
// output file in progress (written under a temporary name, so no file under
// its final name is ever cut short), put the terminal back as it was, and end
// the process with status 128 + the signal number. Files finished before stay.
//
// Files are written on one thread at a time, so one slot for the file in
// progress is enough. The interruption is taken on a thread of its own (see
// platform::watchInterruptions); the slot is guarded by a lock, which the
// interruption takes and never gives back, since the process ends.

// Starts watching for the three signals. Call at the start of main, before
// any other thread exists.
void watchForInterruptions();

// The temporary file of one output file, registered for removal on an
// interruption from before it is created until it has its final name or is
// removed.
class FileInProgress {
public:
    // `temporaryName` is at most 63 bytes long.
    FileInProgress(platform::NativeHandle folder, std::string_view temporaryName);
    FileInProgress(const FileInProgress&) = delete;
    FileInProgress& operator=(const FileInProgress&) = delete;
    // Removes the temporary file unless it was given its final name.
    ~FileInProgress();

    // Gives the temporary file its final name with `rename` (which returns 0
    // or the system's error) while no interruption can remove it; returns
    // what `rename` returned.
    int finish(const std::function<int()>& rename);
    // Lets go of the name without removing anything: the file could not be
    // created, and what has that name is not this run's.
    void disown();

private:
    platform::NativeHandle folder_;
    bool finished_ = false;
};

// Watches the memory a package file is mapped into (platform::mapFileReadOnly):
// should the file shrink while the run reads it, the faulting read prints
// `failureText` and the run ends as after an interruption (the file in
// progress removed, the terminal put back) but with status 1. Call with a
// null `begin` to stop watching before the mapping goes.
void watchMappedPackage(const std::uint8_t* begin, std::uint64_t size, std::string_view failureText);
