#pragma once

#include <cstdint>
#include <string_view>

#include <rapidjson/document.h>

// Every JSON value of the description lives in one pool that is dropped as a
// whole, so no value is ever freed on its own.
using JsonAllocator = rapidjson::MemoryPoolAllocator<>;

// Each operation appends one member at the end of `object` (which must be an
// object) with a copy of `name`, and returns the new member's value. The
// returned reference is valid until the next member is added to `object`.

// Value: an empty object.
rapidjson::Value& addObjectMember(rapidjson::Value& object, std::string_view name, JsonAllocator& allocator);
// Value: an empty array.
rapidjson::Value& addArrayMember(rapidjson::Value& object, std::string_view name, JsonAllocator& allocator);
// Value: true or false.
rapidjson::Value& addBoolMember(rapidjson::Value& object, std::string_view name, bool flag,
                                JsonAllocator& allocator);
// Value: null when `isNull`, else the unsigned number.
rapidjson::Value& addUintMember(rapidjson::Value& object, std::string_view name, std::uint32_t value, bool isNull,
                                JsonAllocator& allocator);
// Value: null when `isNull`, else a copy of all of `text`'s bytes (zero bytes included).
rapidjson::Value& addStringMember(rapidjson::Value& object, std::string_view name, std::string_view text,
                                  bool isNull, JsonAllocator& allocator);

// Appends an empty object to `array` and returns it; valid until the next push.
rapidjson::Value& pushObjectElement(rapidjson::Value& array, JsonAllocator& allocator);
