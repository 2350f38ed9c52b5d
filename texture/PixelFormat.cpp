#include "texture/PixelFormat.h"

#include <array>
#include <cstddef>

#include "texture/decodeEtcImage.h"
#include "texture/decodePvrtc4Image.h"
#include "texture/decodeRawPixels.h"
#include "core/Constants.h"

namespace {

struct NamedPixelFormat {
    FormatName name;
    PixelFormat format;
};

constexpr std::array<NamedPixelFormat, 9> decodableFormats = {{
    {FormatName::RGBA32, {SizeRule::recordSize, decodeRgba32}},
    {FormatName::BGRA32, {SizeRule::recordSize, decodeBgra32}},
    {FormatName::RGB24, {SizeRule::recordSize, decodeRgb24}},
    {FormatName::BGR24, {SizeRule::recordSize, decodeBgr24}},
    {FormatName::RGB24_ALPHA, {SizeRule::recordSize, decodeRgb24WithAlpha}},
    {FormatName::BGR24_ALPHA, {SizeRule::recordSize, decodeBgr24WithAlpha}},
    {FormatName::RGB_ETC1, {SizeRule::powerOfTwoSides, decodeEtcImage}},
    {FormatName::RGB_ETC1_ALPHA, {SizeRule::powerOfTwoSides, decodeEtcImageWithAlpha}},
    {FormatName::RGBA_PVRTC4, {SizeRule::powerOfTwoSquare, decodePvrtc4Image}},
}};

} // namespace

PixelFormat pixelFormatNamed(std::string_view name) {
    for (const NamedPixelFormat& entry : decodableFormats) {
        if (name == formatNames()[static_cast<std::size_t>(entry.name)].view()) {
            return entry.format;
        }
    }
    if (name.find("ETC1") != std::string_view::npos) {
        return {SizeRule::powerOfTwoSides, nullptr};
    }
    if (name.find("PVRTC4") != std::string_view::npos) {
        return {SizeRule::powerOfTwoSquare, nullptr};
    }
    return {};
}
