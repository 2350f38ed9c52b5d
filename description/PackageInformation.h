#pragma once

#include <cstdint>

#include <rapidjson/document.h>

#include "core/PathList.h"
#include "core/PtrArray.h"
#include "core/StringBuffer.h"
#include "description/JsonMembers.h"

// The description of a package: a tree of owning records mirroring its
// composite groups, the subgroups each group lists and the files of each
// subgroup's packet. Each record's fillJson appends its members, in the order
// of the written file, to `object` (which must be an object) and returns it.

// Missing values are marked with 0xFFFFFFFF (written as null).
inline constexpr std::uint32_t missingValue = 0xFFFFFFFFU;

struct AtlasInformation {
    std::uint32_t index = missingValue;         // relative to the packet's first texture
    std::uint32_t width = missingValue;         // as the file list states it
    std::uint32_t height = missingValue;        // as the file list states it
    std::uint32_t textureFormat = missingValue; // from the atlas's texture record

    JsonValue& fillJson(JsonValue& object, JsonAllocator& allocator) const;
};

struct AtlasResourceInformation {
    PathList path;
    AtlasInformation atlasInformation;

    JsonValue& fillJson(JsonValue& object, JsonAllocator& allocator) const;
};

struct SubGroupInformation {
    StringBuffer id;
    std::uint32_t resId = 0; // 0 and 0xFFFFFFFF are both written as null
    StringBuffer locId;      // absent when the four stored bytes are all zero
    bool compressResource = false;
    bool compressAtlasResource = false;
    PtrArray<PathList> resources;
    PtrArray<AtlasResourceInformation> atlasResources;

    JsonValue& fillJson(JsonValue& object, JsonAllocator& allocator) const;
};

struct GroupInformation {
    StringBuffer id;
    PtrArray<SubGroupInformation> subGroups;

    JsonValue& fillJson(JsonValue& object, JsonAllocator& allocator) const;
};

struct PackageInformation {
    StringBuffer id; // the package's file name
    bool useMoreAtlasInformation = false;
    PtrArray<GroupInformation> groups;

    JsonValue& fillJson(JsonValue& object, JsonAllocator& allocator) const;
};
