#include "description/JsonMembers.h"

#include <limits>
#include <stdexcept>

namespace {

rapidjson::SizeType jsonLength(std::string_view text) {
    if (text.size() > std::numeric_limits<rapidjson::SizeType>::max()) {
        throw std::length_error("JSON text longer than 4 GiB");
    }
    return static_cast<rapidjson::SizeType>(text.size());
}

JsonValue& addMember(JsonValue& object, std::string_view name, JsonValue&& value,
                            JsonAllocator& allocator) {
    JsonValue key(name.data(), jsonLength(name), allocator);
    object.AddMember(key, value, allocator);
    return (object.MemberEnd() - 1)->value;
}

} // namespace

JsonValue& addObjectMember(JsonValue& object, std::string_view name, JsonAllocator& allocator) {
    return addMember(object, name, JsonValue(rapidjson::kObjectType), allocator);
}

JsonValue& addArrayMember(JsonValue& object, std::string_view name, JsonAllocator& allocator) {
    return addMember(object, name, JsonValue(rapidjson::kArrayType), allocator);
}

JsonValue& addBoolMember(JsonValue& object, std::string_view name, bool flag,
                                JsonAllocator& allocator) {
    return addMember(object, name, JsonValue(flag), allocator);
}

JsonValue& addUintMember(JsonValue& object, std::string_view name, std::uint32_t value, bool isNull,
                                JsonAllocator& allocator) {
    return addMember(object, name, isNull ? JsonValue() : JsonValue(value), allocator);
}

JsonValue& addStringMember(JsonValue& object, std::string_view name, std::string_view text,
                                  bool isNull, JsonAllocator& allocator) {
    if (isNull) {
        return addMember(object, name, JsonValue(), allocator);
    }
    return addMember(object, name, JsonValue(text.data(), jsonLength(text), allocator), allocator);
}

JsonValue& pushObjectElement(JsonValue& array, JsonAllocator& allocator) {
    array.PushBack(JsonValue(rapidjson::kObjectType), allocator);
    return array[array.Size() - 1U];
}
