#include "description/parseTextureFormatIndex.h"

#include <rapidjson/memorystream.h>

#include "core/JsonTypes.h"

namespace {

constexpr std::size_t shortestIndexFile = 4;

constexpr std::string_view utf8ByteOrderMark = "\xEF\xBB\xBF";

// Comments and trailing commas are what hand-written index files contain;
// the iterative parser keeps deeply nested input from exhausting the call
// stack. Integers are exact in any mode, and no non-integer number is ever
// used, so numbers are converted at normal precision: the library's
// full-precision conversion has undefined behaviour on a zero with a large
// exponent ("0e30").
constexpr unsigned indexParseFlags =
    rapidjson::kParseCommentsFlag | rapidjson::kParseTrailingCommasFlag | rapidjson::kParseIterativeFlag;

FormatEntry readEntry(const JsonValue& element) {
    FormatEntry entry;
    const auto index = element.FindMember("Index");
    entry.index = (index != element.MemberEnd() && index->value.IsUint()) ? index->value.GetUint() : 0xFFFFFFFFU;
    const auto name = element.FindMember("TextureFormat");
    if (name != element.MemberEnd() && name->value.IsString()) {
        entry.name.assignJsonString(name->value);
    }
    return entry;
}

} // namespace

bool startsWithByteOrderMark(std::string_view bytes) { return bytes.starts_with(utf8ByteOrderMark); }

std::optional<TextureFormatIndex> parseTextureFormatIndex(std::string_view bytes) {
    if (bytes.size() < shortestIndexFile || startsWithByteOrderMark(bytes)) {
        return std::nullopt;
    }

    JsonDocument document;
    rapidjson::MemoryStream stream(bytes.data(), bytes.size());
    document.ParseStream<indexParseFlags, rapidjson::UTF8<>>(stream);
    // The parser takes a zero byte for the end of its input; anything after
    // one is content after the root all the same.
    if (document.HasParseError() || stream.Tell() != bytes.size() || !document.IsObject()) {
        return std::nullopt;
    }

    const auto list = document.FindMember("TextureFormat");
    if (list == document.MemberEnd() || !list->value.IsArray()) {
        return std::nullopt;
    }
    const JsonValue& elements = list->value;
    TextureFormatIndex table;
    table.reserve(elements.Size());
    for (const JsonValue& element : elements.GetArray()) {
        if (!element.IsObject()) {
            return std::nullopt;
        }
        table.append(readEntry(element));
    }
    return table;
}
