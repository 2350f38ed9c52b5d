#include "package/PackageRange.h"

#include "core/printableName.h"

#include "core/FatalError.h"

ByteSpan packageRange(ByteSpan package, std::uint64_t offset, std::uint64_t length, std::string_view what) {
    if (!rangeInside(package.size(), offset, length)) {
        throw PackageFormatError(std::string(what) + " at offset " + std::to_string(offset) + " (" +
                                 std::to_string(length) + " bytes) lies outside the package (size " +
                                 std::to_string(package.size()) + ")");
    }
    return package.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
}

ByteSpan recordSection(ByteSpan package, std::uint64_t offset, std::uint64_t count, std::uint64_t stride,
                       std::uint64_t extent, std::string_view what) {
    if (count == 0) {
        return {};
    }
    // Both factors are at most 32 bits wide, so neither product wraps.
    if (count > package.size() / extent) {
        throw PackageFormatError(std::string(what) + ": " + std::to_string(count) + " records of " +
                                 std::to_string(extent) + " bytes are more than a package of " +
                                 std::to_string(package.size()) + " bytes can hold");
    }
    const std::uint64_t lastStart = offset + (count - 1U) * stride;
    if (!rangeInside(package.size(), offset, extent) || !rangeInside(package.size(), lastStart, extent)) {
        throw PackageFormatError(std::string(what) + ": " + std::to_string(count) + " records at offset " +
                                 std::to_string(offset) + ", " + std::to_string(stride) +
                                 " bytes apart, lie outside the package (size " + std::to_string(package.size()) +
                                 ")");
    }
    return package.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(lastStart + extent - offset));
}

std::string recordLabel(std::string_view kind, std::uint64_t index, std::string_view name) {
    std::string label(kind);
    label += ' ';
    label += std::to_string(index);
    label += " (";
    label += printableName(name);
    label += ')';
    return label;
}
