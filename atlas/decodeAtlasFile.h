#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "texture/ImageSize.h"
#include "texture/PixelFormat.h"
#include "png/encodePng.h"
#include "core/Bytes.h"
#include "platform/OutputFolder.h"
#include "core/PathList.h"
#include "description/FormatEntry.h"

// What became of one atlas.
struct DecodeOutcome {
    bool succeeded = false;
    std::string failureReason;     // empty on success
    std::uint64_t missingBytes = 0; // bytes the format needed past the end of the file, read as zero
    std::uint32_t width = 0;        // the decode size, once known
    std::uint32_t height = 0;
    std::uint64_t pngBytes = 0;     // the size of the PNG written
};

// Largest side an atlas is decoded at: 16384 x 16384 RGBA pixels take 1 GiB.
inline constexpr std::uint32_t maxDecodeSide = 16384;

// Reads the texture file at `inputPath` in the output folder `folder`,
// decodes it by the format's name at its decode size (see decodeSize) and
// writes it as a PNG file at `outputPath` there, creating the missing
// folders. Prints nothing.
//
// Fails, writing no file, when the decode size has a zero side or a side
// above maxDecodeSide, when the input cannot be read (it must be a regular
// file, not a link, of at most `inputSizeLimit` bytes: the largest file its
// packet can have written), or when the memory for the image cannot be had,
// and when the output cannot be written (encoder error, failed write or
// close); a file already at `outputPath` then stays as it was. `compression`
// picks the PNG encoder's settings; `thumbnailPng` is as for encodeAtlasImage.
DecodeOutcome decodeAtlasFile(OutputFolder& folder, const PathList& inputPath, const PathList& outputPath,
                              ImageSize size, const PixelFormat& format, std::uint64_t inputSizeLimit,
                              PngCompression compression = PngCompression::standard,
                              std::vector<std::uint8_t>* thumbnailPng = nullptr);

// The decoding half of decodeAtlasFile, on texture bytes in memory: decodes
// them at the decode size and encodes the PNG into `png`. Touches no file and
// prints nothing, so it may run on any thread. Fails, leaving `png` empty,
// as decodeAtlasFile does before it writes. `sourceDone`, when given, is
// called once the source bytes are no longer read, before the (longer) PNG
// encoding, so the caller may release them early. With `thumbnailPng`, the
// gallery's thumbnail of the decoded pixels is encoded there too (see
// makeThumbnail; empty when the atlas fails).
DecodeOutcome encodeAtlasImage(ByteSpan source, ImageSize size, const PixelFormat& format,
                               std::vector<std::uint8_t>& png, const std::function<void()>& sourceDone = {},
                               PngCompression compression = PngCompression::standard,
                               std::vector<std::uint8_t>* thumbnailPng = nullptr);

// The writing half: when `outcome` (from encodeAtlasImage) succeeded, writes
// `png` at `outputPath` in `folder`, creating the missing folders, and
// returns the outcome; a file that cannot be written fails it, and whatever
// stood at that name stays as it was.
DecodeOutcome writeAtlasImage(OutputFolder& folder, const PathList& outputPath, std::span<const std::uint8_t> png,
                              DecodeOutcome outcome);
