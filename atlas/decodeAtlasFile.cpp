#include "atlas/decodeAtlasFile.h"

#include <cerrno>
#include <new>
#include <optional>
#include <stdexcept>

#include "atlas/PixelRows.h"
#include "atlas/decodePixels.h"
#include "atlas/decodeSize.h"
#include "atlas/writePngFile.h"
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

// Decodes and writes; `outputCreated` tells the caller whether a file to
// remove may exist when this fails or throws.
DecodeOutcome decodeAndWrite(const PathList& inputPath, const PathList& outputPath, ImageSize size,
                             const FormatEntry& format, DecodeOutcome outcome, bool& outputCreated) {
    std::string reason;
    std::optional<std::string> input = readWholeFile(inputPath, &reason);
    if (!input) {
        return failed(std::move(outcome), "cannot read " + std::string(inputPath.join().view()) + " : " + reason);
    }
    PixelRows rows(size);
    const ByteSpan source(reinterpret_cast<const std::uint8_t*>(input->data()), input->size());
    outcome.missingBytes = decodePixels(source, rows, size, format.name.view());
    input.reset();

    const StringBuffer outputText = outputPath.join();
    FileHandle file;
    errno = 0;
    if (!openForWrite(file, outputPath)) {
        const int error = errno != 0 ? errno : EIO;
        return failed(std::move(outcome),
                      "cannot create " + std::string(outputText.view()) + " : " + platform::errorText(error));
    }
    outputCreated = true;
    if (std::optional<std::string> pngError = writePngFile(rows, size.width, size.height, file.stream())) {
        return failed(std::move(outcome), "cannot write " + std::string(outputText.view()) + " : " + *pngError);
    }
    if (std::optional<std::string> closeError = file.close()) {
        return failed(std::move(outcome), "cannot write " + std::string(outputText.view()) + " : " + *closeError);
    }
    outcome.succeeded = true;
    return outcome;
}

} // namespace

DecodeOutcome decodeAtlasFile(const PathList& inputPath, const PathList& outputPath, ImageSize size,
                              const FormatEntry& format) {
    DecodeOutcome outcome;
    const std::optional<ImageSize> decoded = decodeSize(size, format.name.view());
    if (!decoded) {
        return failed(std::move(outcome), "image size " + sizeText(size) + " is too large to pad");
    }
    outcome.width = decoded->width;
    outcome.height = decoded->height;
    if (std::optional<std::string> problem = sizeProblem(*decoded)) {
        return failed(std::move(outcome), *problem);
    }

    bool outputCreated = false;
    try {
        outcome = decodeAndWrite(inputPath, outputPath, *decoded, format, std::move(outcome), outputCreated);
    } catch (const std::bad_alloc&) {
        outcome = failed(std::move(outcome), "not enough memory for an image of " + sizeText(*decoded));
    } catch (const std::length_error&) {
        outcome = failed(std::move(outcome), "not enough memory for an image of " + sizeText(*decoded));
    }
    if (!outcome.succeeded && outputCreated) {
        (void)platform::removeFile(std::string(outputPath.join().view()));
    }
    return outcome;
}
