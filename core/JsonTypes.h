#pragma once

#include <cstdlib>
#include <new>

#include <rapidjson/document.h>

// The allocator under every JSON pool, parse stack and writer stack of the
// program: the library's own allocates with malloc and hands a null pointer
// on, which the library then writes through. This one throws std::bad_alloc
// instead, so a failed allocation ends the run with a message.
class ThrowingJsonAllocator {
public:
    static const bool kNeedFree = true;
    void* Malloc(std::size_t size) {
        if (size == 0) {
            return nullptr;
        }
        void* block = std::malloc(size);
        if (block == nullptr) {
            throw std::bad_alloc();
        }
        return block;
    }
    void* Realloc(void* original, std::size_t originalSize, std::size_t newSize) {
        (void)originalSize;
        if (newSize == 0) {
            std::free(original);
            return nullptr;
        }
        void* block = std::realloc(original, newSize);
        if (block == nullptr) {
            throw std::bad_alloc();
        }
        return block;
    }
    static void Free(void* block) { std::free(block); }
};

// Every JSON value lives in one pool that is dropped as a whole, so no value
// is ever freed on its own.
using JsonAllocator = rapidjson::MemoryPoolAllocator<ThrowingJsonAllocator>;
using JsonValue = rapidjson::GenericValue<rapidjson::UTF8<>, JsonAllocator>;
using JsonDocument = rapidjson::GenericDocument<rapidjson::UTF8<>, JsonAllocator, ThrowingJsonAllocator>;
