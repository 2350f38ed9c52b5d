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

rapidjson::Value& addMember(rapidjson::Value& object, std::string_view name, rapidjson::Value&& value,
                            JsonAllocator& allocator) {
    rapidjson::Value key(name.data(), jsonLength(name), allocator);
    object.AddMember(key, value, allocator);
    return (object.MemberEnd() - 1)->value;
}

} // namespace

rapidjson::Value& addObjectMember(rapidjson::Value& object, std::string_view name, JsonAllocator& allocator) {
    return addMember(object, name, rapidjson::Value(rapidjson::kObjectType), allocator);
}

rapidjson::Value& addArrayMember(rapidjson::Value& object, std::string_view name, JsonAllocator& allocator) {
    return addMember(object, name, rapidjson::Value(rapidjson::kArrayType), allocator);
}

rapidjson::Value& addBoolMember(rapidjson::Value& object, std::string_view name, bool flag,
                                JsonAllocator& allocator) {
    return addMember(object, name, rapidjson::Value(flag), allocator);
}

rapidjson::Value& addUintMember(rapidjson::Value& object, std::string_view name, std::uint32_t value, bool isNull,
                                JsonAllocator& allocator) {
    return addMember(object, name, isNull ? rapidjson::Value() : rapidjson::Value(value), allocator);
}

rapidjson::Value& addStringMember(rapidjson::Value& object, std::string_view name, std::string_view text,
                                  bool isNull, JsonAllocator& allocator) {
    if (isNull) {
        return addMember(object, name, rapidjson::Value(), allocator);
    }
    return addMember(object, name, rapidjson::Value(text.data(), jsonLength(text), allocator), allocator);
}

rapidjson::Value& pushObjectElement(rapidjson::Value& array, JsonAllocator& allocator) {
    array.PushBack(rapidjson::Value(rapidjson::kObjectType), allocator);
    return array[array.Size() - 1U];
}
