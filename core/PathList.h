#pragma once

#include <cstdint>
#include <string_view>

#include "core/JsonTypes.h"

#include "core/pathSeparator.h"
#include "core/PtrArray.h"
#include "core/StringBuffer.h"

// A path held as its components. `split` cuts a text at both '\\' and '/';
// `join` puts the platform's separator between the components, so a path read
// from a package (which may use either) names the right file on every platform.
class PathList : public PtrArray<StringBuffer> {
public:
    PathList() = default;

    static PathList fromText(std::string_view text) {
        PathList list;
        list.split(text);
        return list;
    }

    // Calls `component` with each component of a path text as a view into
    // it, cut where `split` cuts: at every '\\' and '/', so one component
    // more than separators, empty ones included.
    template <typename Component>
    static void forEachComponent(std::string_view text, Component&& component) {
        std::size_t start = 0;
        for (std::size_t end = text.find_first_of("/\\"); end != std::string_view::npos;
             end = text.find_first_of("/\\", start)) {
            component(text.substr(start, end - start));
            start = end + 1U;
        }
        component(text.substr(start));
    }

    // Rebuilds the list from a path text: one component more than separators;
    // every component has a block, even an empty one.
    PathList& split(std::string_view text);
    // The components joined by single separators, reserved for exactly that.
    StringBuffer join(char separator = pathSeparator) const;
    // Sum of the components' lengths.
    std::uint32_t textLength() const;
    // Deep copy into an empty list: exactly as many slots as the other has.
    PathList& copyFrom(const PathList& other);
    // Appends copies of the other's components, reserving exactly once.
    PathList& appendAll(const PathList& other);
    // Appends the components of a path text, cut as `split` cuts it, without
    // an interim list: appendAll(fromText(text)) at half the allocations.
    PathList& appendSplit(std::string_view text);
    // Puts "~" in front of the last component.
    PathList& prefixLast();
    // Pushes one JSON string per component (an absent component is "").
    JsonValue& toJsonArray(JsonValue& array, JsonAllocator& allocator) const;

    StringBuffer& last() { return (*this)[count() - 1U]; }
    const StringBuffer& last() const { return (*this)[count() - 1U]; }
};
