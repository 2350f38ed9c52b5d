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

// Builds the table while the parser reads the file, so that no tree of the
// whole file is ever held: the elements are taken as they end. Reads what a
// tree would have given: the root's first "TextureFormat" member, and in
// each of its elements the first "Index" and the first "TextureFormat"
// member (later members of the same name change nothing). Returning false
// stops the parse: the file is refused.
class IndexReader : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, IndexReader> {
public:
    // False when the root was no object, had no "TextureFormat" member, or
    // an element of its list was no object.
    bool complete() const { return listEnded_; }
    TextureFormatIndex& table() { return table_; }

    bool StartObject() {
        if (!value(Kind::object)) {
            return false;
        }
        ++depth_;
        return true;
    }
    bool StartArray() {
        if (!value(Kind::array)) {
            return false;
        }
        ++depth_;
        return true;
    }
    bool EndObject(rapidjson::SizeType /*memberCount*/) {
        --depth_;
        if (inList_ && depth_ == elementDepth - 1U) {
            table_.add(std::move(entry_));
        }
        return true;
    }
    bool EndArray(rapidjson::SizeType /*elementCount*/) {
        --depth_;
        if (inList_ && depth_ == listDepth - 1U) {
            inList_ = false;
            listEnded_ = true;
        }
        return true;
    }
    bool Key(const char* text, rapidjson::SizeType length, bool /*copy*/) {
        const std::string_view key(text, length);
        if (depth_ == rootDepth && !listSeen_ && key == "TextureFormat") {
            pending_ = Member::list;
        } else if (inList_ && depth_ == elementDepth && !indexSeen_ && key == "Index") {
            pending_ = Member::index;
        } else if (inList_ && depth_ == elementDepth && !nameSeen_ && key == "TextureFormat") {
            pending_ = Member::name;
        } else {
            pending_ = Member::none;
        }
        return true;
    }
    bool String(const char* text, rapidjson::SizeType length, bool /*copy*/) {
        if (!value(Kind::string)) {
            return false;
        }
        if (taken_ == Member::name) {
            entry_.name = StringBuffer::fromBytes(std::string_view(text, length));
        }
        return true;
    }
    // An "Index" counts when it is an integer from 0 to 0xFFFFFFFF.
    bool Uint(unsigned number) { return code(number); }
    bool Int(int number) { return number >= 0 ? code(static_cast<std::uint64_t>(number)) : Default(); }
    bool Uint64(std::uint64_t number) { return code(number); }
    bool Int64(std::int64_t number) { return number >= 0 ? code(static_cast<std::uint64_t>(number)) : Default(); }
    // null, true, false and numbers that are no integer.
    bool Default() { return value(Kind::other); }

private:
    enum class Kind { object, array, string, other };
    enum class Member { none, list, index, name };

    // Open containers around the root's members, the list's elements and
    // the elements' members.
    static constexpr unsigned rootDepth = 1;
    static constexpr unsigned listDepth = 2;
    static constexpr unsigned elementDepth = 3;

    bool code(std::uint64_t number) {
        if (!value(Kind::other)) {
            return false;
        }
        if (taken_ == Member::index && number <= 0xFFFFFFFFU) {
            entry_.index = static_cast<std::uint32_t>(number);
        }
        return true;
    }

    // Every value passes here before it is read (containers before they
    // open); `taken_` then says which member of interest it is the value of.
    bool value(Kind kind) {
        taken_ = pending_;
        pending_ = Member::none;
        if (depth_ == 0) {
            return kind == Kind::object;
        }
        if (taken_ == Member::list) {
            listSeen_ = true;
            inList_ = kind == Kind::array;
            return inList_;
        }
        if (inList_ && depth_ == listDepth) {
            if (kind != Kind::object) {
                return false;
            }
            entry_ = FormatEntry {};
            indexSeen_ = false;
            nameSeen_ = false;
        }
        if (taken_ == Member::index) {
            indexSeen_ = true;
        } else if (taken_ == Member::name) {
            nameSeen_ = true;
        }
        return true;
    }

    TextureFormatIndex table_;
    FormatEntry entry_;
    unsigned depth_ = 0;
    Member pending_ = Member::none;
    Member taken_ = Member::none;
    bool listSeen_ = false;
    bool inList_ = false;
    bool listEnded_ = false;
    bool indexSeen_ = false;
    bool nameSeen_ = false;
};

} // namespace

bool startsWithByteOrderMark(std::string_view bytes) { return bytes.starts_with(utf8ByteOrderMark); }

std::optional<TextureFormatIndex> parseTextureFormatIndex(std::string_view bytes) {
    if (bytes.size() < shortestIndexFile || startsWithByteOrderMark(bytes)) {
        return std::nullopt;
    }

    IndexReader reader;
    rapidjson::GenericReader<rapidjson::UTF8<>, rapidjson::UTF8<>, ThrowingJsonAllocator> parser;
    rapidjson::MemoryStream stream(bytes.data(), bytes.size());
    const rapidjson::ParseResult result = parser.Parse<indexParseFlags>(stream, reader);
    // The parser takes a zero byte for the end of its input; anything after
    // one is content after the root all the same.
    if (result.IsError() || stream.Tell() != bytes.size() || !reader.complete()) {
        return std::nullopt;
    }
    return std::move(reader.table());
}
