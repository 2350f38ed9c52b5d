#include "core/PathList.h"

#include <limits>
#include <stdexcept>

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

} // namespace

PathList& PathList::split(std::string_view text) {
    clear();
    return appendSplit(text);
}

PathList& PathList::appendSplit(std::string_view text) {
    if (text.size() >= std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("path longer than 4 GiB");
    }
    std::uint64_t separators = 0;
    for (char c : text) {
        separators += isSeparator(c) ? 1U : 0U;
    }
    slots_.reserve(std::size_t {count()} + separators + 1U);
    bool first = true;
    forEachComponent(text, [&](std::string_view part) {
        // A separator at the very start leaves the first component absent.
        if (first && part.empty() && !text.empty()) {
            append(StringBuffer(emptyText()));
        } else {
            append(StringBuffer::fromBytes(part));
        }
        first = false;
    });
    return *this;
}

StringBuffer PathList::join(char separator) const {
    const std::uint64_t total = std::uint64_t{textLength()} + (count() == 0 ? 0U : count() - 1U);
    if (total >= std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("path longer than 4 GiB");
    }
    StringBuffer text = StringBuffer::reserved(static_cast<std::uint32_t>(total));
    for (std::uint32_t i = 0; i < count(); ++i) {
        text.append((*this)[i].view());
        if (i + 1U < count()) {
            text.appendChar(separator);
        }
    }
    return text;
}

std::uint32_t PathList::textLength() const {
    std::uint64_t total = 0;
    for (const StringBuffer& component : *this) {
        total += component.length();
    }
    if (total >= std::numeric_limits<std::uint32_t>::max()) {
        throw std::length_error("path longer than 4 GiB");
    }
    return static_cast<std::uint32_t>(total);
}

PathList& PathList::copyFrom(const PathList& other) {
    if (this != &other) {
        clear();
        PtrArray<StringBuffer>::copyFrom(other);
    }
    return *this;
}

PathList& PathList::appendAll(const PathList& other) {
    const std::uint32_t added = other.count();
    if (capacity() < std::uint64_t{count()} + added) {
        slots_.reserve(std::size_t{count()} + added);
    }
    for (std::uint32_t i = 0; i < added; ++i) {
        append(StringBuffer(other[i]));
    }
    return *this;
}

PathList& PathList::prefixLast() {
    StringBuffer& lastComponent = last();
    const StringBuffer& prefix = outputFolderPrefix();
    StringBuffer named = StringBuffer::reserved(prefix.length() + lastComponent.length());
    named.append(prefix.view()).append(lastComponent.view());
    lastComponent = std::move(named);
    return *this;
}

JsonValue& PathList::toJsonArray(JsonValue& array,
                                        JsonAllocator& allocator) const {
    for (const StringBuffer& component : *this) {
        JsonValue text;
        text.SetString(component.view().data(), static_cast<rapidjson::SizeType>(component.length()),
                       allocator);
        array.PushBack(text, allocator);
    }
    return array;
}
