#include "platform/Interruption.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <stdexcept>

namespace {

// The file in progress, in plain storage that no one frees.
struct Slot {
    std::mutex lock;
    bool active = false;
    platform::NativeHandle folder = platform::noHandle();
    char name[64] = {};
};

Slot& slot() {
    static Slot theSlot;
    return theSlot;
}

void onInterrupt(int signalNumber) {
    Slot& file = slot();
    // Never unlocked: the process ends below, and a writer that waits for
    // the lock to give its file the final name must not get it.
    file.lock.lock();
    if (file.active) {
        (void)platform::removeAt(file.folder, file.name);
    }
    platform::restoreTerminal();
    platform::exitNow(128 + signalNumber);
}

// What a read of the mapped package that faults prints, in plain storage.
struct MappedPackageText {
    char text[8192] = {};
    std::size_t length = 0;
};

MappedPackageText& mappedPackageText() {
    static MappedPackageText theText;
    return theText;
}

void onMappedPackageFault() noexcept {
    Slot& file = slot();
    file.lock.lock(); // never unlocked, as in onInterrupt
    const MappedPackageText& failure = mappedPackageText();
    platform::writeToStandardOutputNow(std::string_view(failure.text, failure.length));
    if (file.active) {
        (void)platform::removeAt(file.folder, file.name);
    }
    platform::restoreTerminal();
    platform::exitNow(1);
}

} // namespace

void watchMappedPackage(const std::uint8_t* begin, std::uint64_t size, std::string_view failureText) {
    platform::watchMappedFileFaults(nullptr, 0, nullptr);
    if (begin == nullptr) {
        return;
    }
    MappedPackageText& failure = mappedPackageText();
    failure.length = std::min(failureText.size(), sizeof failure.text);
    std::memcpy(failure.text, failureText.data(), failure.length);
    platform::watchMappedFileFaults(begin, size, onMappedPackageFault);
}

void watchForInterruptions() { platform::watchInterruptions(onInterrupt); }

FileInProgress::FileInProgress(platform::NativeHandle folder, std::string_view temporaryName) : folder_(folder) {
    Slot& file = slot();
    if (temporaryName.size() >= sizeof file.name) {
        throw std::logic_error("temporary file name too long");
    }
    const std::lock_guard<std::mutex> hold(file.lock);
    std::memcpy(file.name, temporaryName.data(), temporaryName.size());
    file.name[temporaryName.size()] = '\0';
    file.folder = folder;
    file.active = true;
}

FileInProgress::~FileInProgress() {
    Slot& file = slot();
    const std::lock_guard<std::mutex> hold(file.lock);
    if (!finished_) {
        (void)platform::removeAt(folder_, file.name);
    }
    file.active = false;
}

int FileInProgress::finish(const std::function<int()>& rename) {
    Slot& file = slot();
    const std::lock_guard<std::mutex> hold(file.lock);
    const int error = rename();
    if (error == 0) {
        finished_ = true;
        file.active = false;
    }
    return error;
}

void FileInProgress::disown() {
    Slot& file = slot();
    const std::lock_guard<std::mutex> hold(file.lock);
    finished_ = true;
    file.active = false;
}
