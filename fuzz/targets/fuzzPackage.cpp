#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/entries/exercisePackage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    exercisePackage(ByteSpan(data, size));
    return 0;
}
