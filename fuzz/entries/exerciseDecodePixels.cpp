#include "fuzz/entries/exerciseDecodePixels.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "texture/ImageSize.h"
#include "texture/PixelFormat.h"
#include "texture/PixelRows.h"
#include "texture/decodePixels.h"
#include "texture/decodeSize.h"
#include "core/Constants.h"

namespace {

std::uint32_t side(ByteSpan input, std::size_t at) {
    const unsigned raw = unsigned{input[at]} | (unsigned{input[at + 1]} << 8U);
    return raw % (sideLimit + 1U);
}

} // namespace

void exerciseDecodePixels(ByteSpan input) {
    if (input.empty()) {
        return;
    }
    const unsigned selector = input[0];
    ByteSpan rest = input.subspan(1);
    std::string_view name;
    if (selector < formatNameCount) {
        name = formatNames()[selector].view();
    } else {
        const std::size_t length = std::min<std::size_t>(selector % 16U, rest.size());
        name = std::string_view(reinterpret_cast<const char*>(rest.data()), length);
        rest = rest.subspan(length);
    }
    if (rest.size() < 4) {
        return;
    }
    const ImageSize record{side(rest, 0), side(rest, 2)};
    const ByteSpan texture = rest.subspan(4);

    const PixelFormat format = pixelFormatNamed(name);
    const std::optional<ImageSize> size = decodeSize(record, format.sizeRule);
    if (!size) {
        throw std::logic_error("a small side could not be rounded");
    }
    PixelRows rows(*size);
    const std::uint64_t missing = decodePixels(texture, rows, format);
    // No format needs more than four bytes per pixel plus an alpha plane.
    const std::uint64_t pixels = std::uint64_t{size->width} * size->height;
    if (missing > pixels * 5U) {
        throw std::logic_error("more missing bytes reported than any format reads");
    }
}
