#include "platform/OutputFolder.h"

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <vector>

#include "core/FatalError.h"
#include "platform/Interruption.h"

namespace {

// Where a temporary file goes while it is written; the name marks it as this
// program's, and the process number and a count keep two apart.
constexpr std::string_view temporaryPrefix = ".resunpack-partial-";

bool passedOver(std::string_view component) { return component.empty() || component == "."; }

[[noreturn]] void refuse(const PathList& file, std::uint32_t upTo, platform::EntryKind kind, bool wantFolder) {
    PathList shownPath;
    for (std::uint32_t i = 0; i < upTo && i < file.count(); ++i) {
        shownPath.append(StringBuffer(file[i]));
    }
    throw RunAborted({"Cannot Write File : " + OutputFolder::shown(shownPath) + " : " +
                      platform::entryKindText(kind) + " stands where a " + (wantFolder ? "folder" : "file") +
                      " is needed"},
                     true);
}

// A path whose last component can name a file of the folder: not empty,
// not passed over, not "..".
bool namesAFile(const PathList& file) {
    return file.count() != 0 && !passedOver(file.last().view()) && file.last() != "..";
}

// The system's reason for a failure at `file`, or, where Windows refused a
// name for a character it does not allow, that character.
std::string reasonAt(int error, const PathList& file) {
    if (std::optional<std::string> disallowed = platform::disallowedNameReason(error, OutputFolder::shown(file))) {
        return std::move(*disallowed);
    }
    return platform::errorText(error);
}

bool isUnsafe(platform::EntryKind kind) {
    using platform::EntryKind;
    return kind == EntryKind::link || kind == EntryKind::fifo || kind == EntryKind::device ||
           kind == EntryKind::socket || kind == EntryKind::other;
}

} // namespace

void FileSink::write(std::span<const std::uint8_t> bytes) {
    if (error_ == 0) {
        error_ = platform::writeAll(file_, bytes);
    }
}

OutputFolder::OutputFolder(std::string path) : path_(std::move(path)), handle_(platform::noHandle()) {
    if (const int error = platform::openFolderPath(path_, handle_); error != 0) {
        const std::optional<std::string> disallowed = platform::disallowedNameReason(error, path_);
        throw RunAborted(
            {"Output Folder : CanNot Enter " + path_ + " : " + (disallowed ? *disallowed : platform::errorText(error))},
            true);
    }
}

OutputFolder::~OutputFolder() {
    for (const std::uint32_t folder : openFolders_) {
        platform::closeHandle(knownFolders_[folder].handle);
    }
    platform::closeHandle(handle_);
}

platform::NativeHandle OutputFolder::handleOf(std::uint32_t folder) const {
    return folder == outputFolderIndex ? handle_ : knownFolders_[folder].handle;
}

void OutputFolder::touch(std::uint32_t folder) {
    if (folder != outputFolderIndex) {
        openFolders_.splice(openFolders_.begin(), openFolders_, knownFolders_[folder].openPosition);
    }
}

void OutputFolder::keepOpen(std::uint32_t folder, platform::NativeHandle handle) {
    if (openFolders_.size() >= openFolderLimit) {
        KnownFolder& least = knownFolders_[openFolders_.back()];
        platform::closeHandle(least.handle);
        least.handle = platform::noHandle();
        openFolders_.pop_back();
    }
    knownFolders_[folder].handle = handle;
    knownFolders_[folder].openPosition = openFolders_.insert(openFolders_.begin(), folder);
}

std::string OutputFolder::shown(const PathList& file) { return std::string(file.join('/').view()); }

void OutputFolder::protect(const platform::FileIdentity& identity, std::string what) {
    protected_.push_back({identity, std::move(what)});
}

void OutputFolder::refuseInput(const PathList& file, platform::NativeHandle folder, const std::string& name) const {
    if (protected_.empty()) {
        return;
    }
    platform::FileIdentity identity;
    if (platform::fileIdentityAt(folder, name, identity) != 0) {
        return; // nothing there, or nothing that can be told apart: no file of the run's input
    }
    for (const ProtectedFile& input : protected_) {
        if (input.identity == identity) {
            throw RunAborted({"Cannot Write File : " + shown(file) + " : it is " + input.what}, true);
        }
    }
}

platform::NativeHandle OutputFolder::folderAt(const PathList& file, std::uint32_t count, bool create, int& error) {
    error = 0;
    const std::uint32_t end = std::min(count, file.count());
    for (std::uint32_t i = 0; i < end; ++i) {
        if (file[i] == "..") {
            error = EACCES;
            return platform::noHandle();
        }
    }
    // The folders on the way that the run knows already, found without the
    // file system; the walk opens from the deepest of them that is open.
    std::vector<WalkStep>& known = walk_;
    known.clear();
    std::uint32_t folder = outputFolderIndex;
    std::size_t deepestOpen = 0; // steps in `known` up to the deepest open folder
    std::uint32_t i = 0;
    for (; i < end; ++i) {
        const std::string_view name = file[i].view();
        if (passedOver(name)) {
            continue;
        }
        const auto step = folderSteps_.find(FolderStep {folder, name});
        if (step == folderSteps_.end()) {
            break;
        }
        folder = step->second;
        known.push_back({folder, i});
        if (knownFolders_[folder].handle != platform::noHandle()) {
            deepestOpen = known.size();
        }
    }
    const auto openFrom = [&](std::uint32_t parent, std::uint32_t position, platform::NativeHandle& next) {
        const std::string name(file[position].view());
        if (const int failure = platform::openFolderAt(handleOf(parent), name, create, next); failure != 0) {
            int lookError = 0;
            const platform::EntryKind kind = platform::entryKind(handleOf(parent), name, lookError);
            if (isUnsafe(kind) && lookError == 0) {
                refuse(file, position + 1U, kind, true);
            }
            error = failure;
            return false;
        }
        return true;
    };
    std::uint32_t at = deepestOpen == 0 ? outputFolderIndex : known[deepestOpen - 1U].folder;
    touch(at);
    // Known folders closed since: opened again from their parents.
    for (std::size_t k = deepestOpen; k < known.size(); ++k) {
        platform::NativeHandle next = platform::noHandle();
        if (!openFrom(at, known[k].position, next)) {
            return platform::noHandle();
        }
        at = known[k].folder;
        keepOpen(at, next);
    }
    // The rest of the way, new to the run.
    for (; i < end; ++i) {
        if (passedOver(file[i].view())) {
            continue;
        }
        platform::NativeHandle next = platform::noHandle();
        if (!openFrom(at, i, next)) {
            return platform::noHandle();
        }
        const auto index = static_cast<std::uint32_t>(knownFolders_.size());
        knownFolders_.push_back(KnownFolder {at, std::string(file[i].view()), platform::noHandle(), {}});
        folderSteps_.emplace(FolderStep {at, knownFolders_.back().name}, index);
        at = index;
        keepOpen(at, next);
    }
    return handleOf(at);
}

std::optional<std::string> OutputFolder::writeInto(const PathList& file,
                                                   const std::function<int(platform::NativeHandle)>& fill) {
    if (!namesAFile(file)) {
        return platform::errorText(EINVAL);
    }
    int error = 0;
    const platform::NativeHandle folder = parentOf(file, true, error);
    if (error != 0) {
        return reasonAt(error, file);
    }
    const std::string finalName(file.last().view());
    int lookError = 0;
    const platform::EntryKind existing = platform::entryKind(folder, finalName, lookError);
    if (isUnsafe(existing) && lookError == 0) {
        refuse(file, file.count(), existing, false);
    }
    if (existing == platform::EntryKind::file) {
        refuseInput(file, folder, finalName);
    }

    // A name taken already (a file of the package or a leftover of another
    // run) is passed over for the next one.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporaryName = std::string(temporaryPrefix) + std::to_string(platform::processNumber()) +
                                          "-" + std::to_string(temporaryCount_++);
        FileInProgress inProgress(folder, temporaryName);
        platform::NativeHandle handle = platform::noHandle();
        error = platform::createNewFileAt(folder, temporaryName, handle);
        if (error != 0) {
            inProgress.disown();
            if (error == EEXIST) {
                continue;
            }
            return platform::errorText(error);
        }
        int fillError = 0;
        try {
            fillError = fill(handle);
        } catch (...) {
            platform::closeHandle(handle);
            throw;
        }
        const int closeError = platform::closeWrittenFile(handle);
        if (fillError != 0 || closeError != 0) {
            return platform::errorText(fillError != 0 ? fillError : closeError);
        }
        error = inProgress.finish([&] { return platform::replaceAt(folder, temporaryName, finalName); });
        if (error != 0) {
            return reasonAt(error, file);
        }
        return std::nullopt;
    }
    return platform::errorText(EEXIST);
}

std::optional<std::string> OutputFolder::writeFile(const PathList& file, std::span<const std::uint8_t> bytes) {
    return writeInto(file, [bytes](platform::NativeHandle handle) { return platform::writeAll(handle, bytes); });
}

std::optional<std::string> OutputFolder::writeFile(const PathList& file,
                                                   const std::function<void(FileSink&)>& produce) {
    return writeInto(file, [&produce](platform::NativeHandle handle) {
        FileSink sink(handle);
        produce(sink);
        return sink.error();
    });
}

bool OutputFolder::prepareFile(const PathList& file) {
    if (!namesAFile(file)) {
        return false;
    }
    int error = 0;
    const platform::NativeHandle folder = parentOf(file, true, error);
    if (error != 0) {
        return false;
    }
    int lookError = 0;
    const platform::EntryKind existing = platform::entryKind(folder, std::string(file.last().view()), lookError);
    if (lookError != 0) {
        return false;
    }
    if (isUnsafe(existing)) {
        refuse(file, file.count(), existing, false);
    }
    if (existing == platform::EntryKind::file) {
        refuseInput(file, folder, std::string(file.last().view()));
    }
    return existing == platform::EntryKind::missing || existing == platform::EntryKind::file;
}

std::optional<std::string> OutputFolder::readFile(const PathList& file, std::uint64_t sizeLimit,
                                                  std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    if (file.count() == 0 || file.last() == "..") {
        return platform::errorText(EINVAL);
    }
    int error = 0;
    const platform::NativeHandle folder = parentOf(file, false, error);
    if (error != 0) {
        return reasonAt(error, file);
    }
    platform::NativeHandle handle = platform::noHandle();
    std::uint64_t size = 0;
    error = platform::openRegularFileAt(folder, std::string(file.last().view()), handle, size);
    if (error != 0) {
        if (std::optional<std::string> disallowed = platform::disallowedNameReason(error, shown(file))) {
            return std::move(*disallowed);
        }
        int lookError = 0;
        const platform::EntryKind kind = platform::entryKind(folder, std::string(file.last().view()), lookError);
        if (kind != platform::EntryKind::file && kind != platform::EntryKind::missing && lookError == 0) {
            return std::string("not a regular file but ") + platform::entryKindText(kind);
        }
        return platform::errorText(error);
    }
    struct Closer {
        platform::NativeHandle handle;
        ~Closer() { platform::closeHandle(handle); }
    } closer {handle};
    if (size > sizeLimit) {
        return "holds " + std::to_string(size) + " bytes, more than the " + std::to_string(sizeLimit) +
               " expected at most";
    }
    bytes.resize(static_cast<std::size_t>(size));
    std::size_t filled = 0;
    // One byte more than the limit is asked for, so a file that grew since
    // it was measured is noticed without reading on.
    std::uint8_t probe = 0;
    for (;;) {
        std::size_t got = 0;
        const std::span<std::uint8_t> room = filled < bytes.size()
                                                 ? std::span<std::uint8_t>(bytes).subspan(filled)
                                                 : std::span<std::uint8_t>(&probe, 1);
        if (const int readError = platform::readSome(handle, room, got); readError != 0) {
            bytes.clear();
            return platform::errorText(readError);
        }
        if (got == 0) {
            break;
        }
        if (filled >= bytes.size()) {
            bytes.clear();
            return std::string("grew while it was read");
        }
        filled += got;
    }
    bytes.resize(filled);
    return std::nullopt;
}

std::optional<std::string> OutputFolder::makeFolder(const PathList& folder) {
    int error = 0;
    (void)folderAt(folder, folder.count(), true, error);
    if (error != 0) {
        return reasonAt(error, folder);
    }
    return std::nullopt;
}

bool OutputFolder::removeFile(const PathList& file) {
    if (!namesAFile(file)) {
        return false;
    }
    int error = 0;
    const platform::NativeHandle folder = parentOf(file, false, error);
    if (error != 0) {
        return false;
    }
    const std::string name(file.last().view());
    int lookError = 0;
    if (platform::entryKind(folder, name, lookError) != platform::EntryKind::file) {
        return false;
    }
    refuseInput(file, folder, name);
    return platform::removeAt(folder, name) == 0;
}
