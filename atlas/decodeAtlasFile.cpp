#include "atlas/decodeAtlasFile.h"

#include <new>
#include <optional>
#include <stdexcept>

#include "texture/PixelFormat.h"
#include "texture/PixelRows.h"
#include "texture/decodePixels.h"
#include "texture/decodeSize.h"
#include "core/Bytes.h"
#include "gallery/makeThumbnail.h"

namespace {

std::string sizeText(ImageSize size) {
    return std::to_string(size.width) + " x " + std::to_string(size.height);
}

DecodeOutcome failed(DecodeOutcome outcome, std::string reason) {
    outcome.succeeded = false;
    outcome.failureReason = std::move(reason);
    return outcome;
}

// Why a decode size cannot be decoded, or nothing when it can.
std::optional<std::string> sizeProblem(ImageSize size) {
    if (size.width == 0 || size.height == 0) {
        return "image size " + sizeText(size) + " has a zero side";
    }
    if (size.width > maxDecodeSide || size.height > maxDecodeSide) {
        return "image size " + sizeText(size) + " exceeds " + std::to_string(maxDecodeSide) + " pixels on a side";
    }
    return std::nullopt;
}

// The decode size, recorded in `outcome`; nothing, with `outcome` failed,
// when the image cannot be decoded at it.
std::optional<ImageSize> checkedDecodeSize(ImageSize size, const PixelFormat& format, DecodeOutcome& outcome) {
    const std::optional<ImageSize> decoded = decodeSize(size, format.sizeRule);
    if (!decoded) {
        outcome = failed(std::move(outcome), "image size " + sizeText(size) + " is too large to pad");
        return std::nullopt;
    }
    outcome.width = decoded->width;
    outcome.height = decoded->height;
    if (std::optional<std::string> problem = sizeProblem(*decoded)) {
        outcome = failed(std::move(outcome), *problem);
        return std::nullopt;
    }
    return decoded;
}

} // namespace

DecodeOutcome encodeAtlasImage(ByteSpan source, ImageSize size, const PixelFormat& format,
                               std::vector<std::uint8_t>& png, const std::function<void()>& sourceDone,
                               PngCompression compression, std::vector<std::uint8_t>* thumbnailPng) {
    png.clear();
    if (thumbnailPng != nullptr) {
        thumbnailPng->clear();
    }
    DecodeOutcome outcome;
    const std::optional<ImageSize> decoded = checkedDecodeSize(size, format, outcome);
    if (!decoded) {
        return outcome;
    }
    try {
        PixelRows rows(*decoded);
        outcome.missingBytes = decodePixels(source, rows, format);
        if (sourceDone) {
            sourceDone();
        }
        if (thumbnailPng != nullptr) {
            // Thumbnails are small and many: the quick setting is enough.
            *thumbnailPng = encodePng(makeThumbnail(rows), pngSettingsFor(PngCompression::fast));
        }
        png = encodePng(std::move(rows), pngSettingsFor(compression));
    } catch (const PngSizeError& error) {
        png.clear();
        if (thumbnailPng != nullptr) {
            thumbnailPng->clear();
        }
        return failed(std::move(outcome), std::string("cannot encode the image : ") + error.what());
    } catch (const std::bad_alloc&) {
        png.clear();
        if (thumbnailPng != nullptr) {
            thumbnailPng->clear();
        }
        return failed(std::move(outcome), "not enough memory for an image of " + sizeText(*decoded));
    } catch (const std::length_error&) {
        png.clear();
        if (thumbnailPng != nullptr) {
            thumbnailPng->clear();
        }
        return failed(std::move(outcome), "not enough memory for an image of " + sizeText(*decoded));
    }
    outcome.succeeded = true;
    return outcome;
}


DecodeOutcome writeAtlasImage(OutputFolder& folder, const PathList& outputPath, std::span<const std::uint8_t> png,
                              DecodeOutcome outcome) {
    if (!outcome.succeeded) {
        return outcome;
    }
    if (const std::optional<std::string> reason = folder.writeFile(outputPath, png)) {
        return failed(std::move(outcome), "cannot write " + OutputFolder::shown(outputPath) + " : " + *reason);
    }
    outcome.pngBytes = png.size();
    return outcome;
}

DecodeOutcome decodeAtlasFile(OutputFolder& folder, const PathList& inputPath, const PathList& outputPath,
                              ImageSize size, const PixelFormat& pixelFormat, std::uint64_t inputSizeLimit,
                              PngCompression compression, std::vector<std::uint8_t>* thumbnailPng) {
    DecodeOutcome sized;
    if (!checkedDecodeSize(size, pixelFormat, sized)) {
        return sized; // before the input is read, as the size alone decides it
    }
    std::vector<std::uint8_t> input;
    try {
        if (const std::optional<std::string> reason = folder.readFile(inputPath, inputSizeLimit, input)) {
            return failed(std::move(sized), "cannot read " + OutputFolder::shown(inputPath) + " : " + *reason);
        }
    } catch (const std::bad_alloc&) {
        return failed(std::move(sized), "not enough memory to read " + OutputFolder::shown(inputPath));
    }
    std::vector<std::uint8_t> png;
    DecodeOutcome outcome = encodeAtlasImage(ByteSpan(input.data(), input.size()), size, pixelFormat, png,
                                                  [&input] { std::vector<std::uint8_t>().swap(input); }, compression,
                                                  thumbnailPng);
    std::vector<std::uint8_t>().swap(input);
    return writeAtlasImage(folder, outputPath, png, std::move(outcome));
}
