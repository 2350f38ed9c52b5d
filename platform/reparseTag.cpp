#include "platform/reparseTag.h"

bool reparseTagLeadsElsewhere(std::uint32_t tag) {
    // Bit 29 of a tag marks a name surrogate (IsReparseTagNameSurrogate).
    constexpr std::uint32_t nameSurrogateBit = 0x20000000U;
    return tag == 0 || (tag & nameSurrogateBit) != 0;
}
