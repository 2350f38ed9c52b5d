#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "core/FileSelection.h"
#include "package/selectPacketFiles.h"

// Counts the allocations of at least `countFrom` bytes made on the thread
// that sets it, so that a test can see how often a list's slot array is
// allocated while the list is built.
namespace {
thread_local std::size_t countFrom = 0;
thread_local std::size_t largeAllocations = 0;
} // namespace

void* operator new(std::size_t size) {
    if (countFrom != 0 && size >= countFrom) {
        ++largeAllocations;
    }
    if (void* block = std::malloc(size == 0 ? 1 : size)) {
        return block;
    }
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace {

PacketFileList namedFiles(std::uint32_t count) {
    PacketFileList files;
    files.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        PacketFileEntry& entry = files.append();
        entry.name = StringBuffer::fromBytes((i % 2U == 0 ? "img/" : "snd/") + std::to_string(i));
    }
    return files;
}

// A list of n selected files is built with its slot array allocated a fixed
// number of times, not once per file (which takes time quadratic in n).
TEST(SelectPacketFiles, BuildsABigSelectionWithoutGrowingItOneSlotAtATime) {
    constexpr std::uint32_t count = 20000;
    const PacketFileList files = namedFiles(count);
    struct Case {
        const char* name;
        std::vector<std::string> patterns;
        std::uint32_t selected;
        const char* lastName;
    };
    const Case cases[] = {
        {"every file", {"**"}, count, "snd/19999"},
        {"half of them", {"img/*"}, count / 2U, "img/19998"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FileSelection selection(c.patterns);
        // A slot array for a thousand files or more; single entries are far smaller.
        countFrom = 1000 * sizeof(void*);
        largeAllocations = 0;
        const PacketFileList selected = selectPacketFiles(files, selection);
        countFrom = 0;
        ASSERT_EQ(selected.count(), c.selected);
        EXPECT_EQ(selected[selected.count() - 1U].name.view(), c.lastName);
        EXPECT_LE(largeAllocations, 2U) << "the slot array was allocated anew as the list grew";
    }
}

} // namespace
