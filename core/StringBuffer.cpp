#include "core/StringBuffer.h"

#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

namespace {

std::uint32_t checkedLength(std::size_t n) {
    if (n > std::numeric_limits<std::uint32_t>::max() - 1U) {
        throw std::length_error("text longer than 4 GiB");
    }
    return static_cast<std::uint32_t>(n);
}

} // namespace

StringBuffer::StringBuffer(StringBuffer&& other) noexcept
    : block_(std::move(other.block_)),
      length_(std::exchange(other.length_, 0U)),
      capacity_(std::exchange(other.capacity_, 0U)) {}

StringBuffer& StringBuffer::operator=(const StringBuffer& other) {
    if (this != &other) {
        assign(other);
    }
    return *this;
}

StringBuffer& StringBuffer::operator=(StringBuffer&& other) noexcept {
    if (this != &other) {
        block_ = std::move(other.block_);
        length_ = std::exchange(other.length_, 0U);
        capacity_ = std::exchange(other.capacity_, 0U);
    }
    return *this;
}

StringBuffer StringBuffer::reserved(std::uint32_t n) {
    StringBuffer text;
    text.reserveExactly(n);
    return text;
}

StringBuffer StringBuffer::fromBytes(std::string_view bytes) {
    StringBuffer text = reserved(checkedLength(bytes.size()));
    return std::move(text.append(bytes));
}

void StringBuffer::reserveExactly(std::uint32_t n) {
    if (n == std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("text longer than 4 GiB");
    }
    block_ = std::make_unique<char[]>(std::size_t{n} + 1U);
    length_ = 0;
    capacity_ = n;
}

StringBuffer& StringBuffer::append(const void* bytes, std::uint32_t count) {
    if (count == 0) {
        return *this;
    }
    const std::uint64_t needed = std::uint64_t{length_} + count;
    if (needed >= std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("text longer than 4 GiB");
    }
    if (capacity_ < needed) {
        auto grown = std::make_unique<char[]>(static_cast<std::size_t>(needed) + 1U);
        if (length_ != 0) {
            std::memcpy(grown.get(), block_.get(), length_);
        }
        block_ = std::move(grown);
        capacity_ = static_cast<std::uint32_t>(needed);
    }
    std::memcpy(block_.get() + length_, bytes, count);
    length_ = static_cast<std::uint32_t>(needed);
    return *this;
}

StringBuffer& StringBuffer::append(std::string_view bytes) {
    return append(bytes.data(), checkedLength(bytes.size()));
}

StringBuffer& StringBuffer::appendChar(char c) {
    if (capacity_ < length_ + 1U) {
        if (capacity_ >= std::numeric_limits<std::uint32_t>::max() - 1U) {
            throw std::length_error("text longer than 4 GiB");
        }
        auto grown = std::make_unique<char[]>(std::size_t{capacity_} + 2U);
        if (length_ != 0) {
            std::memcpy(grown.get(), block_.get(), length_);
        }
        block_ = std::move(grown);
        ++capacity_;
    }
    block_[length_] = c;
    ++length_;
    return *this;
}

StringBuffer& StringBuffer::assign(const StringBuffer& other) {
    if (this == &other) {
        return *this;
    }
    if (other.isAbsent()) {
        return makeAbsent();
    }
    reserveExactly(other.length_);
    return append(other.block_.get(), other.length_);
}

StringBuffer& StringBuffer::assignText(const char* text) {
    const std::uint32_t n = checkedLength(std::strlen(text));
    reserveExactly(n);
    return append(text, n);
}

StringBuffer& StringBuffer::assignJsonString(const JsonValue& value) {
    const rapidjson::SizeType n = value.GetStringLength();
    reserveExactly(n);
    return append(value.GetString(), n);
}

StringBuffer& StringBuffer::makeAbsent() {
    block_.reset();
    length_ = 0;
    capacity_ = 0;
    return *this;
}

const StringBuffer& emptyText() {
    static const StringBuffer text = StringBuffer::reserved(0);
    return text;
}

const StringBuffer& outputFolderPrefix() {
    static const StringBuffer text = StringBuffer::fromBytes("~");
    return text;
}
