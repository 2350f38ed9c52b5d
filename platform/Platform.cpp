#include "platform/Platform.h"

// What both sides of the platform layer share.

namespace platform {

const char* entryKindText(EntryKind kind) {
    switch (kind) {
    case EntryKind::missing:
        return "nothing";
    case EntryKind::folder:
        return "a folder";
    case EntryKind::file:
        return "a file";
    case EntryKind::link:
        return "a symbolic link";
    case EntryKind::fifo:
        return "a FIFO";
    case EntryKind::device:
        return "a device";
    case EntryKind::socket:
        return "a socket";
    case EntryKind::other:
        break;
    }
    return "an entry of unknown kind";
}

} // namespace platform
