#include "core/Constants.h"

const PathList& descriptionFilePath() {
    static const PathList path = PathList::fromText("Information.json");
    return path;
}

const std::array<StringBuffer, formatNameCount>& formatNames() {
    static const std::array<StringBuffer, formatNameCount> names = {
        StringBuffer::fromBytes("UnKnown"),
        StringBuffer::fromBytes("RGB24"),
        StringBuffer::fromBytes("RGB24_ALPHA"),
        StringBuffer::fromBytes("RGBA32"),
        StringBuffer::fromBytes("BGR24"),
        StringBuffer::fromBytes("BGR24_ALPHA"),
        StringBuffer::fromBytes("BGRA32"),
        StringBuffer::fromBytes("RGB_ETC1"),
        StringBuffer::fromBytes("RGB_ETC1_ALPHA"),
        StringBuffer::fromBytes("RGBA_PVRTC4"),
        StringBuffer::fromBytes("RGBA24_ALPHA_UNKNOWN"),
        StringBuffer::fromBytes("RGB_ETC1_ALPHA_UNKNOWN"),
    };
    return names;
}
