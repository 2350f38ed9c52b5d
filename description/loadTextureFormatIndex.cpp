#include "description/loadTextureFormatIndex.h"

#include "core/FatalError.h"
#include "core/FileSystem.h"
#include "description/parseTextureFormatIndex.h"

TextureFormatIndex loadTextureFormatIndex(Console& console, const std::optional<std::string>& givenPath) {
    console.line("Please Choose TextureFormat Index Information File");
    PathList path;
    chooseFile(console, path, givenPath);
    console.line("InPut : " + std::string(path.join().view()));

    const std::optional<std::string> bytes = readWholeFile(path);
    if (!bytes) {
        throw RunAborted({"TextureFormat Index Information File : Not Exist"}, false);
    }
    std::optional<TextureFormatIndex> table = parseTextureFormatIndex(*bytes);
    if (!table) {
        throw RunAborted({"TextureFormat Index Information File : Format Error"}, false);
    }
    return std::move(*table);
}
