#include "description/loadTextureFormatIndex.h"

#include "core/FatalError.h"
#include "platform/FileSystem.h"
#include "platform/windowsName.h"
#include "description/parseTextureFormatIndex.h"

namespace {

// An index file lists a few hundred formats at most; anything far larger is
// not one (and a device such as /dev/zero is never read on and on).
constexpr std::uint64_t indexFileSizeLimit = std::uint64_t{64} << 20U;

} // namespace

TextureFormatIndex loadTextureFormatIndex(Console& console, const std::optional<std::string>& givenPath,
                                          std::string* chosenPath) {
    console.line("Please Choose TextureFormat Index Information File");
    const std::string path = chooseFile(console, givenPath);
    console.line("InPut : " + path);
    TextureFormatIndex table = readTextureFormatIndexFile(path);
    if (chosenPath != nullptr) {
        *chosenPath = path;
    }
    return table;
}

TextureFormatIndex readTextureFormatIndexFile(const std::string& path) {
    std::string reason;
    const std::optional<std::string> bytes = readWholeFile(path, indexFileSizeLimit, &reason);
    if (!bytes) {
        if (reason.starts_with("larger than ")) {
            // It exists: saying it does not would send the user looking for the wrong fault.
            throw RunAborted({"TextureFormat Index Information File : Too Large", "\t" + path + " is " + reason},
                             false);
        }
        if (reason.starts_with(disallowedCharacterReasonStart)) {
            // No such file can be made on Windows: the name is what to mend.
            throw RunAborted({"TextureFormat Index Information File : Not Exist", "\t" + path + " : " + reason},
                             false);
        }
        throw RunAborted({"TextureFormat Index Information File : Not Exist"}, false);
    }
    std::optional<TextureFormatIndex> table = parseTextureFormatIndex(*bytes);
    if (!table) {
        if (startsWithByteOrderMark(*bytes)) {
            throw RunAborted({"TextureFormat Index Information File : Format Error",
                              "\tthe file starts with a UTF-8 byte order mark; save it without one"},
                             false);
        }
        throw RunAborted({"TextureFormat Index Information File : Format Error"}, false);
    }
    return std::move(*table);
}
