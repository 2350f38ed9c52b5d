#include "platform/Deflate.h"

#include <algorithm>
#include <array>
#include <limits>
#include <new>
#include <stdexcept>

#ifdef RESUNPACK_HAVE_LIBDEFLATE
#include <libdeflate.h>
#else
#include <zlib.h>
#endif

namespace zlibStream {

#ifdef RESUNPACK_HAVE_LIBDEFLATE

std::uint32_t crc32(std::uint32_t crc, const void* data, std::size_t size) {
    return libdeflate_crc32(crc, data, size);
}

namespace {

// One compressor per thread and level, made on first use and kept until the
// thread ends: allocating one costs more than compressing a small image
// (its tables are megabytes at the higher levels, mapped and faulted in
// afresh each time).
libdeflate_compressor* compressorFor(int level) {
    struct Cache {
        std::array<libdeflate_compressor*, 12> byLevel {};
        Cache() = default;
        Cache(const Cache&) = delete;
        Cache& operator=(const Cache&) = delete;
        ~Cache() {
            for (libdeflate_compressor* compressor : byLevel) {
                libdeflate_free_compressor(compressor);
            }
        }
    };
    thread_local Cache cache;
    libdeflate_compressor*& slot = cache.byLevel[static_cast<std::size_t>(level - 1)];
    if (slot == nullptr) {
        slot = libdeflate_alloc_compressor(level);
        if (slot == nullptr) {
            throw std::bad_alloc();
        }
    }
    return slot;
}

} // namespace

struct Compressor::State {
    libdeflate_compressor* compressor = nullptr; // owned by the thread's cache
};

Compressor::Compressor(int level) : state_(std::make_unique<State>()) {
    state_->compressor = compressorFor(std::clamp(level, 1, 12));
}

std::size_t Compressor::zlibBound(std::size_t size) const {
    return libdeflate_zlib_compress_bound(state_->compressor, size);
}

std::size_t Compressor::zlibCompress(const void* in, std::size_t size, void* out, std::size_t room) {
    return libdeflate_zlib_compress(state_->compressor, in, size, out, room);
}

struct Decompressor::State {
    libdeflate_decompressor* decompressor = nullptr;
    ~State() { libdeflate_free_decompressor(decompressor); }
};

Decompressor::Decompressor() : state_(std::make_unique<State>()) {
    state_->decompressor = libdeflate_alloc_decompressor();
    if (state_->decompressor == nullptr) {
        throw std::bad_alloc();
    }
}

InflateResult Decompressor::zlibDecompress(const void* in, std::size_t size, void* out, std::size_t room,
                                           std::size_t& produced) {
    produced = 0;
    switch (libdeflate_zlib_decompress(state_->decompressor, in, size, out, room, &produced)) {
    case LIBDEFLATE_SUCCESS:
        return InflateResult::success;
    case LIBDEFLATE_BAD_DATA:
        return InflateResult::badData;
    case LIBDEFLATE_INSUFFICIENT_SPACE:
        return InflateResult::insufficientSpace;
    default:
        return InflateResult::failed;
    }
}

#else

namespace {

// zlib counts in uInt; larger inputs go in pieces.
constexpr std::size_t largestPiece = std::numeric_limits<uInt>::max();

// Runs `stream` over `size` bytes at `in` into `room` bytes at `out`, handing
// zlib at most largestPiece bytes of each at a time. `step(lastInput)` runs
// deflate or inflate once (lastInput: the input it has is the end of the
// whole input) and says whether to go on; the pieces also end when the
// output is full or a step takes and gives nothing. Returns the output room
// left.
template <typename Step>
std::size_t runInPieces(z_stream& stream, const void* in, std::size_t size, void* out, std::size_t room,
                        Step step) {
    stream.next_in = const_cast<Bytef*>(static_cast<const Bytef*>(in));
    stream.next_out = static_cast<Bytef*>(out);
    std::size_t inLeft = size;
    std::size_t outLeft = room;
    for (;;) {
        const std::size_t inPiece = std::min(inLeft, largestPiece);
        const std::size_t outPiece = std::min(outLeft, largestPiece);
        stream.avail_in = static_cast<uInt>(inPiece);
        stream.avail_out = static_cast<uInt>(outPiece);
        const bool goOn = step(inPiece == inLeft);
        inLeft -= inPiece - stream.avail_in;
        outLeft -= outPiece - stream.avail_out;
        const bool progressed = stream.avail_in != inPiece || stream.avail_out != outPiece;
        if (!goOn || !progressed || outLeft == 0) {
            return outLeft;
        }
    }
}

} // namespace

std::uint32_t crc32(std::uint32_t crc, const void* data, std::size_t size) {
    const auto* bytes = static_cast<const Bytef*>(data);
    uLong value = crc;
    while (size > 0) {
        const std::size_t piece = std::min(size, largestPiece);
        value = ::crc32(value, bytes, static_cast<uInt>(piece));
        bytes += piece;
        size -= piece;
    }
    return static_cast<std::uint32_t>(value);
}

struct Compressor::State {
    int level = Z_DEFAULT_COMPRESSION;
};

Compressor::Compressor(int level) : state_(std::make_unique<State>()) { state_->level = std::clamp(level, 1, 9); }

std::size_t Compressor::zlibBound(std::size_t size) const {
    // compressBound's own formula, in size_t.
    return size + (size >> 12U) + (size >> 14U) + (size >> 25U) + 13U;
}

std::size_t Compressor::zlibCompress(const void* in, std::size_t size, void* out, std::size_t room) {
    // A stream of this call's own, ended however the call ends. It is not
    // kept per thread: in the MinGW runtime the destructor of a thread_local
    // object can run after the thread's storage is gone, which crashed the
    // worker threads as they ended.
    struct OwnStream {
        z_stream stream {};
        bool ready = false;
        OwnStream() = default;
        OwnStream(const OwnStream&) = delete;
        OwnStream& operator=(const OwnStream&) = delete;
        ~OwnStream() {
            if (ready) {
                (void)deflateEnd(&stream);
            }
        }
    } own;
    if (deflateInit(&own.stream, state_->level) != Z_OK) {
        throw std::bad_alloc();
    }
    own.ready = true;
    z_stream& stream = own.stream;
    int status = Z_OK;
    const std::size_t outLeft = runInPieces(stream, in, size, out, room, [&](bool lastInput) {
        status = deflate(&stream, lastInput ? Z_FINISH : Z_NO_FLUSH);
        return status == Z_OK || status == Z_BUF_ERROR;
    });
    return status == Z_STREAM_END ? room - outLeft : 0;
}

struct Decompressor::State {};

Decompressor::Decompressor() : state_(std::make_unique<State>()) {}

InflateResult Decompressor::zlibDecompress(const void* in, std::size_t size, void* out, std::size_t room,
                                           std::size_t& produced) {
    produced = 0;
    z_stream stream {};
    if (inflateInit(&stream) != Z_OK) {
        throw std::bad_alloc();
    }
    int status = Z_OK;
    const std::size_t outLeft = runInPieces(stream, in, size, out, room, [&](bool) {
        status = inflate(&stream, Z_NO_FLUSH);
        return status == Z_OK;
    });
    (void)inflateEnd(&stream);
    if (status == Z_STREAM_END) {
        produced = room - outLeft;
        return InflateResult::success;
    }
    if (status == Z_DATA_ERROR || status == Z_NEED_DICT) {
        return InflateResult::badData;
    }
    if (status == Z_MEM_ERROR) {
        throw std::bad_alloc();
    }
    // No progress: the output is full before the stream's end, or the input
    // ended inside the stream.
    return outLeft == 0 ? InflateResult::insufficientSpace : InflateResult::badData;
}

#endif

Compressor::~Compressor() = default;
Decompressor::~Decompressor() = default;

} // namespace zlibStream
