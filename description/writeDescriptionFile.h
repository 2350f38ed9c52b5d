#pragma once

#include <functional>
#include <string>

#include <rapidjson/prettywriter.h>

#include "core/JsonTypes.h"
#include "platform/OutputFolder.h"

// Hands the description's text to an output file in pieces of a fixed size,
// so the text is never held whole.
class DescriptionStream {
public:
    using Ch = char;
    explicit DescriptionStream(FileSink& sink) : sink_(sink) {}
    DescriptionStream(const DescriptionStream&) = delete;
    DescriptionStream& operator=(const DescriptionStream&) = delete;

    void Put(char c) {
        buffer_[used_++] = c;
        if (used_ == sizeof buffer_) {
            Flush();
        }
    }
    void Flush();

private:
    FileSink& sink_;
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
// is complete. Throws RunAborted (with the console pause) naming the file and
// the system's reason when it cannot be created or completely written; an
// exception from `describe` leaves the earlier file as it was.
void writeDescriptionFile(OutputFolder& folder, const std::function<void(DescriptionWriter&)>& describe);
