#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "core/JsonTypes.h"

// An owned byte string: a zero-filled block of capacity + 1 bytes, of which the
// first `length` are in use, so a present block is always zero-terminated.
// Capacity grows to exactly what is needed, never geometrically; names and
// paths therefore keep their exact size. Copies are deep. A null block is the
// "absent" text, which the description writes as JSON null.
class StringBuffer {
public:
    StringBuffer() = default;
    StringBuffer(const StringBuffer& other) { assign(other); }
    StringBuffer(StringBuffer&& other) noexcept;
    StringBuffer& operator=(const StringBuffer& other);
    StringBuffer& operator=(StringBuffer&& other) noexcept;
    ~StringBuffer() = default;

    // A fresh zero-filled block with room for n bytes and length 0.
    static StringBuffer reserved(std::uint32_t n);
    // A present text holding these bytes, reserved for exactly their length.
    static StringBuffer fromBytes(std::string_view bytes);

    StringBuffer& append(const void* bytes, std::uint32_t count);
    StringBuffer& append(std::string_view bytes);
    StringBuffer& appendChar(char c);
    StringBuffer& assign(const StringBuffer& other);
    StringBuffer& assignText(const char* text);
    StringBuffer& assignJsonString(const JsonValue& value);
    StringBuffer& makeAbsent(); // frees the block: the text is absent

    const char* data() const { return block_.get(); }
    char* data() { return block_.get(); }
    std::uint32_t length() const { return length_; }
    std::uint32_t capacity() const { return capacity_; }
    bool isAbsent() const { return block_ == nullptr; }
    std::string_view view() const { return {block_ ? block_.get() : "", length_}; }

    // Byte-wise equality of the texts in use (an absent text equals an empty one).
    bool operator==(std::string_view other) const { return view() == other; }

private:
    void reserveExactly(std::uint32_t n);

    std::unique_ptr<char[]> block_;
    std::uint32_t length_ = 0;
    std::uint32_t capacity_ = 0;
};

// The program-wide constant texts.
const StringBuffer& emptyText();          // present, empty: a one-byte zero block
const StringBuffer& outputFolderPrefix(); // "~"
