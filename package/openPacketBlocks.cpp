#include "package/openPacketBlocks.h"

#include <new>
#include <string>

#include "platform/Deflate.h"
#include "core/FatalError.h"
#include "package/PackageRange.h"

namespace {

// zlib's deflate format cannot expand data by more than 1032:1 (zlib
// technical details, "Maximum compression factor"); a declared size beyond
// that cannot come from the stored bytes, so it is refused before allocating.
constexpr std::uint64_t maxInflateRatio = 1032;

// The words zlib used for the same failures, so that the report of a
// damaged block reads as it always has.
const char* inflateErrorText(zlibStream::InflateResult result) {
    switch (result) {
    case zlibStream::InflateResult::badData:
        return "data error";
    case zlibStream::InflateResult::insufficientSpace:
        return "buffer error";
    default:
        return "unexpected result";
    }
}

} // namespace

ByteSpan PacketBlocks::openBlock(ByteSpan package, std::uint64_t start, std::uint32_t storedSize,
                                 std::uint32_t declaredSize, bool compressed, const std::string& what,
                                 Storage& storage) {
    if (!compressed) {
        return packageRange(package, start, declaredSize, what);
    }
    if (declaredSize == 0) {
        return {};
    }
    const ByteSpan source = packageRange(package, start, storedSize, what + " (compressed)");
    if (declaredSize > (std::uint64_t{storedSize} + 1U) * maxInflateRatio) {
        throw PackageFormatError(what + ": " + std::to_string(declaredSize) + " bytes cannot inflate from " +
                                 std::to_string(storedSize) + " compressed bytes");
    }
    // The zero fill of a large block costs nothing until touched.
    try {
        storage = LargeBlock(declaredSize);
    } catch (const std::bad_alloc&) {
        throw NotEnoughMemory(what + ": not enough memory for " + std::to_string(declaredSize) +
                              " bytes to inflate it into");
    }
    // One decompressor per block: blocks may be opened on several threads.
    std::size_t inflated = 0;
    zlibStream::InflateResult result = zlibStream::InflateResult::failed;
    try {
        zlibStream::Decompressor decompressor;
        result = decompressor.zlibDecompress(source.data(), source.size(), storage.data(), declaredSize, inflated);
    } catch (const std::bad_alloc&) {
        throw NotEnoughMemory(what + ": not enough memory for " + std::to_string(declaredSize) +
                              " bytes to inflate it into");
    }
    if (result != zlibStream::InflateResult::success) {
        throw PackageFormatError(what + ": zlib cannot inflate it (" + inflateErrorText(result) + ")");
    }
    if (inflated != declaredSize) {
        throw PackageFormatError(what + ": inflates to " + std::to_string(inflated) + " bytes, not the declared " +
                                 std::to_string(declaredSize));
    }
    return {storage.data(), declaredSize};
}

PacketBlocks openPacketBlocks(ByteSpan package, std::uint32_t packetOffset, const PacketHeader& header,
                              std::string_view packetLabel) {
    const std::string label(packetLabel);
    PacketBlocks blocks;
    blocks.resource_ = PacketBlocks::openBlock(
        package, std::uint64_t{packetOffset} + header.resourceDataOffset, header.resourceDataCompressedSize,
        header.resourceDataSize, (header.compressionFlags & compressResourceFlag) != 0, label + ": resource data",
        blocks.resourceStorage_);
    blocks.atlas_ = PacketBlocks::openBlock(
        package, std::uint64_t{packetOffset} + header.atlasDataOffset, header.atlasDataCompressedSize,
        header.atlasDataSize, (header.compressionFlags & compressAtlasFlag) != 0, label + ": atlas data",
        blocks.atlasStorage_);
    return blocks;
}
