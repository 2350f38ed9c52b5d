#include "atlas/decodeAtlasFile.h"

#include <cerrno>
#include <new>
#include <optional>
#include <stdexcept>

#include "atlas/PixelRows.h"
#include "atlas/decodePixels.h"
#include "atlas/decodeSize.h"
#include "core/Bytes.h"
#include "core/FileSystem.h"
#include "core/Platform.h"

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

// Writes the encoded image; `outputCreated` tells the caller whether a file
// to remove may exist when this fails.
DecodeOutcome writeEncoded(const PathList& outputPath, std::span<const std::uint8_t> png, DecodeOutcome outcome,
                           bool& outputCreated) {
    const StringBuffer outputText = outputPath.join();
    FileHandle file;
    errno = 0;
    if (!openForWrite(file, outputPath)) {
        const int error = errno != 0 ? errno : EIO;
        return failed(std::move(outcome),
                      "cannot create " + std::string(outputText.view()) + " : " + platform::errorText(error));
    }
    outputCreated = true;
    errno = 0;
    if (!png.empty() && std::fwrite(png.data(), png.size(), 1, file.stream()) != 1) {
        const int error = errno != 0 ? errno : EIO;
        return failed(std::move(outcome),
                      "cannot write " + std::string(outputText.view()) + " : " + platform::errorText(error));
    }
    if (std::optional<std::string> closeError = file.close()) {
        return failed(std::move(outcome), "cannot write " + std::string(outputText.view()) + " : " + *closeError);
    }
    outcome.succeeded = true;
    return outcome;
}

// The decode size, recorded in `outcome`; nothing, with `outcome` failed,
// when the image cannot be decoded at it.
std::optional<ImageSize> checkedDecodeSize(ImageSize size, const FormatEntry& format, DecodeOutcome& outcome) {
    const std::optional<ImageSize> decoded = decodeSize(size, format.name.view());
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

DecodeOutcome encodeAtlasImage(ByteSpan source, ImageSize size, const FormatEntry& format,
                               std::vector<std::uint8_t>& png, const std::function<void()>& sourceDone,
                               PngCompression compression) {
    png.clear();
    DecodeOutcome outcome;
    const std::optional<ImageSize> decoded = checkedDecodeSize(size, format, outcome);
    if (!decoded) {
        return outcome;
    }
    try {
        PixelRows rows(*decoded);
        outcome.missingBytes = decodePixels(source, rows, *decoded, format.name.view());
        if (sourceDone) {
            sourceDone();
        }
        png = encodePng(std::move(rows), pngSettingsFor(compression));
    } catch (const PngSizeError& error) {
        png.clear();
        return failed(std::move(outcome), std::string("cannot encode the image : ") + error.what());
    } catch (const std::bad_alloc&) {
        png.clear();
        return failed(std::move(outcome), "not enough memory for an image of " + sizeText(*decoded));
    } catch (const std::length_error&) {
        png.clear();
        return failed(std::move(outcome), "not enough memory for an image of " + sizeText(*decoded));
    }
    outcome.succeeded = true;
    return outcome;
}

DecodeOutcome writeAtlasImage(const PathList& outputPath, std::span<const std::uint8_t> png, DecodeOutcome outcome) {
    if (!outcome.succeeded) {
        return outcome;
    }
    outcome.succeeded = false;
    bool outputCreated = false;
    outcome = writeEncoded(outputPath, png, std::move(outcome), outputCreated);
    if (!outcome.succeeded && outputCreated) {
        (void)platform::removeFile(std::string(outputPath.join().view()));
    }
    return outcome;
}

DecodeOutcome decodeAtlasFile(const PathList& inputPath, const PathList& outputPath, ImageSize size,
                              const FormatEntry& format, PngCompression compression) {
    DecodeOutcome sized;
    if (!checkedDecodeSize(size, format, sized)) {
        return sized; // before the input is read, as the size alone decides it
    }
    std::string reason;
    std::optional<std::string> input = readWholeFile(inputPath, &reason);
    if (!input) {
        return failed(std::move(sized), "cannot read " + std::string(inputPath.join().view()) + " : " + reason);
    }
    std::vector<std::uint8_t> png;
    DecodeOutcome outcome =
        encodeAtlasImage(ByteSpan(reinterpret_cast<const std::uint8_t*>(input->data()), input->size()), size, format,
                         png, [&input] { input.reset(); }, compression);
    input.reset();
    return writeAtlasImage(outputPath, png, std::move(outcome));
}
