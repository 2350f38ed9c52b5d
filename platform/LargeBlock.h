#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// How a LargeBlock gives its bytes back: to the system or to the heap.
struct LargeBlockRelease {
    std::size_t size = 0;
    std::size_t mappedSize = 0; // nonzero: the system's pages, mapped at the block's start
    void operator()(std::uint8_t* bytes) const noexcept;
};

// Zero-filled memory for the large buffers of a run: inflated packet data,
// decoded images and compressed PNG data. Blocks of 2 MiB and more are
// taken straight from the system and, where it offers them, in huge pages:
// a run touches each such buffer once from end to end, and faulting them in
// 4 KiB pages took a fifth of a one-job run's CPU time on a virtual machine.
// Pages that are never written take no memory either way. Smaller blocks
// come from the heap.
class LargeBlock {
public:
    LargeBlock() = default;
    // Allocates `size` zero bytes; throws std::bad_alloc when they cannot be had.
    explicit LargeBlock(std::size_t size);

    std::uint8_t* data() const { return bytes_.get(); }
    std::size_t size() const { return bytes_.get_deleter().size; }

private:
    std::unique_ptr<std::uint8_t, LargeBlockRelease> bytes_;
};
