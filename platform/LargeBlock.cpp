#include "platform/LargeBlock.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

#if defined(__linux__) && defined(MADV_HUGEPAGE)
// The size of a huge page on x86-64 and on ARM64 with 4 KiB pages. Blocks
// from this size up are mapped on a boundary of it, so that the system can
// back whole stretches of them with huge pages.
constexpr std::size_t hugePage = std::size_t {2} << 20U;

// Maps `size` bytes, rounded up to whole huge pages, starting on a huge-page
// boundary, and asks for huge pages; nothing when the system refuses.
std::uint8_t* mapAligned(std::size_t size, std::size_t& mappedSize) {
    if (size > SIZE_MAX - 2 * hugePage) {
        return nullptr;
    }
    const std::size_t rounded = (size + hugePage - 1) / hugePage * hugePage;
    const std::size_t asked = rounded + hugePage;
    void* mapped = ::mmap(nullptr, asked, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) {
        return nullptr;
    }
    auto* start = static_cast<std::uint8_t*>(mapped);
    const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(start);
    const std::size_t head = (hugePage - address % hugePage) % hugePage;
    // Gives back the unaligned head and the tail beyond the rounded size.
    if (head != 0) {
        (void)::munmap(start, head);
    }
    const std::size_t tail = asked - head - rounded;
    if (tail != 0) {
        (void)::munmap(start + head + rounded, tail);
    }
    (void)::madvise(start + head, rounded, MADV_HUGEPAGE); // only a wish: without it the pages are small
    mappedSize = rounded;
    return start + head;
}
#endif

} // namespace

LargeBlock::LargeBlock(std::size_t size) {
    LargeBlockRelease release;
    release.size = size;
    std::uint8_t* bytes = nullptr;
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (size >= hugePage) {
        bytes = mapAligned(size, release.mappedSize);
    }
#endif
    if (bytes == nullptr) {
        release.mappedSize = 0;
        bytes = static_cast<std::uint8_t*>(std::calloc(size == 0 ? 1 : size, 1));
        if (bytes == nullptr) {
            throw std::bad_alloc();
        }
    }
    bytes_ = std::unique_ptr<std::uint8_t, LargeBlockRelease>(bytes, release);
}

void LargeBlockRelease::operator()(std::uint8_t* bytes) const noexcept {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (mappedSize != 0) {
        (void)::munmap(bytes, mappedSize);
        return;
    }
#endif
    std::free(bytes);
}
