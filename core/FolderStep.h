#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

// One step down a tree of folders numbered as they are met: the parent's
// number and the child's name there. Keying folders by their steps, rather
// than by their whole paths, makes naming every folder above a path cost the
// bytes of its components once, however deep it lies. The name is a view:
// whoever keeps a step as a key keeps the bytes it points at.
struct FolderStep {
    std::uint32_t parent = 0;
    std::string_view name;
    bool operator==(const FolderStep&) const = default;
};

struct FolderStepHash {
    std::size_t operator()(const FolderStep& step) const noexcept {
        return std::hash<std::string_view> {}(step.name) ^
               (static_cast<std::size_t>(step.parent) * static_cast<std::size_t>(0x9E3779B97F4A7C15ULL));
    }
};
