#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// The zlib-format compression and inflation the program uses, and the CRC-32
// of PNG chunks: libdeflate where the build found it, zlib otherwise (the
// Windows build). Both give valid zlib streams of the same data; the
// compressed bytes may differ, what they inflate to never does.
namespace zlibStream {

// The CRC-32 of `size` bytes continued from `crc` (0 to start).
std::uint32_t crc32(std::uint32_t crc, const void* data, std::size_t size);

class Compressor {
public:
    // `level` from 1 (fastest) to 12 (smallest); zlib takes 12 as its own
    // highest, 9. Throws std::bad_alloc.
    explicit Compressor(int level);
    ~Compressor();
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;

    // The most bytes a zlib stream of `size` bytes can take.
    std::size_t zlibBound(std::size_t size) const;
    // Compresses into `out`; the stream's size, or 0 when `room` is too small.
    std::size_t zlibCompress(const void* in, std::size_t size, void* out, std::size_t room);

private:
    struct State;
    std::unique_ptr<State> state_;
};

enum class InflateResult { success, badData, insufficientSpace, failed };

class Decompressor {
public:
    // Throws std::bad_alloc.
    Decompressor();
    ~Decompressor();
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;

    // Inflates one zlib stream into at most `room` bytes; `produced` gets
    // their count on success.
    InflateResult zlibDecompress(const void* in, std::size_t size, void* out, std::size_t room,
                                 std::size_t& produced);

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace zlibStream
