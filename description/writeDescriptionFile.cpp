#include "description/writeDescriptionFile.h"

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>

#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include "core/Constants.h"
#include "core/FatalError.h"
#include "core/FileSystem.h"

namespace {

constexpr std::size_t initialTextCapacity = 256;
constexpr std::size_t writerStackBytes = 512;

} // namespace

std::string descriptionText(const rapidjson::Value& root) {
    rapidjson::StringBuffer buffer(nullptr, initialTextCapacity);
    // No validation flag: bytes from 0x80 up are copied as they are, since
    // names are in whatever code page the package and the system use.
    rapidjson::PrettyWriter<rapidjson::StringBuffer> writer(buffer, nullptr, writerStackBytes);
    writer.SetIndent('\t', 1);
    if (!root.Accept(writer)) {
        throw std::logic_error("description could not be serialised");
    }
    return std::string(buffer.GetString(), buffer.GetSize());
}

void writeDescriptionFile(const rapidjson::Value& root) {
    const std::string text = descriptionText(root);
    const PathList& path = descriptionFilePath();
    const std::optional<std::string> failure = writeWholeFile(
        path, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    if (failure) {
        throw RunAborted({std::string(path.join().view()) + " : CanNot Write : " + *failure}, true);
    }
}
