#include "bench/readBenchInput.h"

#include <limits>
#include <optional>
#include <stdexcept>

#include "platform/FileSystem.h"

std::vector<std::uint8_t> readBenchInput(const std::string& path) {
    std::string reason;
    // A benchmark input has no size limit worth setting.
    const std::optional<std::string> bytes = readWholeFile(path, std::numeric_limits<std::uint64_t>::max(), &reason);
    if (!bytes) {
        throw std::runtime_error("cannot read " + path + " : " + reason);
    }
    return {bytes->begin(), bytes->end()};
}
