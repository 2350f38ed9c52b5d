#include <gtest/gtest.h>

#include <cstdint>

#include "core/PtrArray.h"

namespace {

// Appends onto a list whose count nobody knew must not move every slot each
// time: a packet of 200,000 files took 24 s when each append grew the list
// by one slot. The slots are moved a logarithmic number of times, and the
// elements never.
TEST(PtrArray, AppendsGrowTheSlotsGeometricallyAndElementsStayPut) {
    PtrArray<std::uint32_t> list;
    const std::uint32_t* first = nullptr;
    std::uint32_t capacityChanges = 0;
    std::uint32_t capacity = list.capacity();
    for (std::uint32_t i = 0; i < 100000; ++i) {
        list.append(i);
        if (i == 0) {
            first = &list[0];
        }
        if (list.capacity() != capacity) {
            ++capacityChanges;
            capacity = list.capacity();
        }
    }
    EXPECT_LE(capacityChanges, 40U);
    EXPECT_LE(list.capacity(), 2U * list.count());
    EXPECT_EQ(&list[0], first);
    for (std::uint32_t i = 0; i < list.count(); i += 997) {
        EXPECT_EQ(list[i], i);
    }
}

TEST(PtrArray, AReservedListTakesItsCountWithoutGrowing) {
    PtrArray<std::uint32_t> list;
    list.reserve(1000);
    const std::uint32_t reserved = list.capacity();
    for (std::uint32_t i = 0; i < 1000; ++i) {
        list.append(i);
    }
    EXPECT_EQ(list.capacity(), reserved);
    EXPECT_EQ(PtrArray<std::uint32_t>::sized(7).capacity(), 7U);
}

} // namespace
