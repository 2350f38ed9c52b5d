#include "description/writeDescriptionFile.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>

#include <rapidjson/stringbuffer.h>

#include "core/Constants.h"
#include "core/FatalError.h"

namespace {

constexpr std::size_t initialTextCapacity = 256;
constexpr std::size_t writerStackBytes = 512;

template <typename Writer>
void setUp(Writer& writer) {
    writer.SetIndent('\t', 1);
}

} // namespace

void DescriptionStream::Flush() {
    if (used_ > limit_ - written_) {
        throw DescriptionOverBudget(limit_);
    }
    written_ += used_;
    sink_.write(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(buffer_), used_));
    used_ = 0;
}

std::string descriptionText(const JsonValue& root) {
    rapidjson::GenericStringBuffer<rapidjson::UTF8<>, ThrowingJsonAllocator> buffer(nullptr, initialTextCapacity);
    // No validation flag: bytes from 0x80 up are copied as they are, since
    // names are in whatever code page the package and the system use.
    rapidjson::PrettyWriter<decltype(buffer), rapidjson::UTF8<>, rapidjson::UTF8<>, ThrowingJsonAllocator> writer(
        buffer, nullptr, writerStackBytes);
    setUp(writer);
    if (!root.Accept(writer)) {
        throw std::logic_error("description could not be serialised");
    }
    return std::string(buffer.GetString(), buffer.GetSize());
}

std::uint64_t writeDescriptionFile(OutputFolder& folder, const std::function<void(DescriptionWriter&)>& describe,
                                   std::uint64_t limit) {
    const PathList& path = descriptionFilePath();
    std::uint64_t written = 0;
    const std::optional<std::string> failure = folder.writeFile(path, [&describe, &written, limit](FileSink& sink) {
        // The stream's buffer is large; it lives on the heap, not the stack.
        const auto stream = std::make_unique<DescriptionStream>(sink, limit);
        DescriptionWriter writer(*stream, nullptr, writerStackBytes);
        setUp(writer);
        describe(writer);
        if (!writer.IsComplete()) {
            throw std::logic_error("description left unfinished");
        }
        stream->Flush();
        written = stream->written();
    });
    if (failure) {
        throw RunAborted({OutputFolder::shown(path) + " : CanNot Write : " + *failure}, true);
    }
    return written;
}
