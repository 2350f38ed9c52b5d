#include "description/PackageInformation.h"

namespace {

bool isMissing(std::uint32_t value) { return value == missingValue; }

// A resource id of 0 means "none" as well as the general missing marker.
bool isMissingResId(std::uint32_t value) { return value == 0 || value == missingValue; }

JsonValue& addTextMember(JsonValue& object, std::string_view name, const StringBuffer& text,
                                JsonAllocator& allocator) {
    return addStringMember(object, name, text.view(), text.isAbsent(), allocator);
}

void addPathMember(JsonValue& object, const PathList& path, JsonAllocator& allocator) {
    path.toJsonArray(addArrayMember(object, "Path", allocator), allocator);
}

} // namespace

JsonValue& AtlasInformation::fillJson(JsonValue& object, JsonAllocator& allocator) const {
    addUintMember(object, "Index", index, isMissing(index), allocator);
    JsonValue& size = addObjectMember(object, "Size", allocator);
    addUintMember(size, "Width", width, isMissing(width), allocator);
    addUintMember(size, "Height", height, isMissing(height), allocator);
    addUintMember(object, "TextureFormat", textureFormat, isMissing(textureFormat), allocator);
    return object;
}

JsonValue& AtlasResourceInformation::fillJson(JsonValue& object, JsonAllocator& allocator) const {
    addPathMember(object, path, allocator);
    atlasInformation.fillJson(addObjectMember(object, "AtlasInformation", allocator), allocator);
    return object;
}

JsonValue& SubGroupInformation::fillJson(JsonValue& object, JsonAllocator& allocator) const {
    addTextMember(object, "ID", id, allocator);
    addUintMember(object, "ResID", resId, isMissingResId(resId), allocator);
    addTextMember(object, "LocID", locId, allocator);
    addBoolMember(object, "CompressResource", compressResource, allocator);
    addBoolMember(object, "CompressAtlasResource", compressAtlasResource, allocator);
    JsonValue& resourceArray = addArrayMember(object, "Resource", allocator);
    for (const PathList& path : resources) {
        addPathMember(pushObjectElement(resourceArray, allocator), path, allocator);
    }
    JsonValue& atlasArray = addArrayMember(object, "AtlasResource", allocator);
    for (const AtlasResourceInformation& atlas : atlasResources) {
        atlas.fillJson(pushObjectElement(atlasArray, allocator), allocator);
    }
    return object;
}

JsonValue& GroupInformation::fillJson(JsonValue& object, JsonAllocator& allocator) const {
    addTextMember(object, "ID", id, allocator);
    JsonValue& subGroupArray = addArrayMember(object, "SubGroup", allocator);
    for (const SubGroupInformation& subGroup : subGroups) {
        subGroup.fillJson(pushObjectElement(subGroupArray, allocator), allocator);
    }
    return object;
}

JsonValue& PackageInformation::fillJson(JsonValue& object, JsonAllocator& allocator) const {
    addTextMember(object, "ID", id, allocator);
    addBoolMember(object, "UseMoreAtlasInformation", useMoreAtlasInformation, allocator);
    JsonValue& groupArray = addArrayMember(object, "Group", allocator);
    for (const GroupInformation& group : groups) {
        group.fillJson(pushObjectElement(groupArray, allocator), allocator);
    }
    return object;
}
