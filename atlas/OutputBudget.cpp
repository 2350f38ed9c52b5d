#include "atlas/OutputBudget.h"

#include <charconv>
#include <limits>

#include "atlas/decodeAtlasFile.h"
#include "core/FatalError.h"
#include "texture/PixelFormat.h"
#include "texture/decodeSize.h"
#include "gallery/makeThumbnail.h"

void passOutputBudget(const std::string& what, std::uint64_t budget) {
    throw RunAborted({"Output Budget : Exceeded",
                      "\t" + what + " would take the run past its budget of " + std::to_string(budget) +
                          " bytes (Information.json, files extracted plus 4 bytes per decoded pixel); "
                          "--max-output SIZE sets another"},
                     true);
}

std::uint64_t defaultOutputBudget(std::uint64_t packageSize) {
    constexpr std::uint64_t most = std::numeric_limits<std::uint64_t>::max();
    const std::uint64_t proportional =
        packageSize > most / outputBudgetPerPackageByte ? most : packageSize * outputBudgetPerPackageByte;
    return proportional > outputBudgetFloor ? proportional : outputBudgetFloor;
}

std::uint64_t atlasPixelCharge(ImageSize recordSize, const PixelFormat& format) {
    const std::optional<ImageSize> decoded = decodeSize(recordSize, format.sizeRule);
    if (!decoded || decoded->width == 0 || decoded->height == 0 || decoded->width > maxDecodeSide ||
        decoded->height > maxDecodeSide) {
        return 0;
    }
    return std::uint64_t{decoded->width} * decoded->height * 4U;
}

std::uint64_t thumbnailPixelCharge(ImageSize recordSize, const PixelFormat& format) {
    if (atlasPixelCharge(recordSize, format) == 0) {
        return 0;
    }
    const ImageSize thumbnail = thumbnailSize(*decodeSize(recordSize, format.sizeRule));
    return std::uint64_t{thumbnail.width} * thumbnail.height * 4U;
}

std::optional<std::uint64_t> parseByteSize(const std::string& text) {
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [rest, code] = std::from_chars(text.data(), end, value);
    if (code != std::errc() || rest == text.data()) {
        return std::nullopt;
    }
    unsigned shift = 0;
    if (rest != end) {
        if (rest + 1 != end) {
            return std::nullopt;
        }
        switch (*rest) {
        case 'K': case 'k': shift = 10; break;
        case 'M': case 'm': shift = 20; break;
        case 'G': case 'g': shift = 30; break;
        case 'T': case 't': shift = 40; break;
        default: return std::nullopt;
        }
    }
    if (value > (std::numeric_limits<std::uint64_t>::max() >> shift)) {
        return std::nullopt;
    }
    return value << shift;
}
