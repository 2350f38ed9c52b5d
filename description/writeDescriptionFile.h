#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include <rapidjson/prettywriter.h>

#include "core/JsonTypes.h"
#include "platform/OutputFolder.h"

// The description would pass the bytes it may take (see writeDescriptionFile).
class DescriptionOverBudget : public std::runtime_error {
public:
    explicit DescriptionOverBudget(std::uint64_t limit)
        : std::runtime_error("the description passes its limit"), limit_(limit) {}
    std::uint64_t limit() const { return limit_; }

private:
    std::uint64_t limit_;
};

// Hands the description's text to an output file in pieces of a fixed size,
// so the text is never held whole, and counts it against `limit`: the piece
// that would take it past the limit is not written and throws
// DescriptionOverBudget.
class DescriptionStream {
public:
    using Ch = char;
    DescriptionStream(FileSink& sink, std::uint64_t limit) : sink_(sink), limit_(limit) {}
    DescriptionStream(const DescriptionStream&) = delete;
    DescriptionStream& operator=(const DescriptionStream&) = delete;

    void Put(char c) {
        buffer_[used_++] = c;
        if (used_ == sizeof buffer_) {
            Flush();
        }
    }
    void Flush();
    std::uint64_t written() const { return written_; }

private:
    FileSink& sink_;
    std::uint64_t limit_;
    std::uint64_t written_ = 0;
    std::size_t used_ = 0;
    char buffer_[65536];
};

// The writer every description is written with: tab-indented, one member or
// element per line, strings copied byte for byte except for the JSON escapes
// of '"', '\\' and bytes below 0x20; no byte-order mark and no line end after
// the final "}".
using DescriptionWriter =
    rapidjson::PrettyWriter<DescriptionStream, rapidjson::UTF8<>, rapidjson::UTF8<>, ThrowingJsonAllocator>;

// A JSON value as the description's text (the same bytes as a file written
// by writeDescriptionFile with `root.Accept(writer)`).
std::string descriptionText(const JsonValue& root);

// Writes "Information.json" in `folder`: `describe` sends the document to
// the writer, event by event. The file replaces an earlier one only once it
// is complete. Returns its size in bytes. Throws RunAborted (with the console
// pause) naming the file and the system's reason when it cannot be created
// or completely written, and DescriptionOverBudget when it would hold more
// than `limit` bytes; an exception from `describe` or the limit leaves the
// earlier file as it was and no part of the new one.
std::uint64_t writeDescriptionFile(OutputFolder& folder, const std::function<void(DescriptionWriter&)>& describe,
                                   std::uint64_t limit = UINT64_MAX);
