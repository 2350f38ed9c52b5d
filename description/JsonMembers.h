#pragma once

#include <cstdint>
#include <string_view>

#include "core/JsonTypes.h"


// Each operation appends one member at the end of `object` (which must be an
// object) with a copy of `name`, and returns the new member's value. The
// returned reference is valid until the next member is added to `object`.

// Value: an empty object.
JsonValue& addObjectMember(JsonValue& object, std::string_view name, JsonAllocator& allocator);
// Value: an empty array.
JsonValue& addArrayMember(JsonValue& object, std::string_view name, JsonAllocator& allocator);
// Value: true or false.
JsonValue& addBoolMember(JsonValue& object, std::string_view name, bool flag,
                                JsonAllocator& allocator);
// Value: null when `isNull`, else the unsigned number.
JsonValue& addUintMember(JsonValue& object, std::string_view name, std::uint32_t value, bool isNull,
                                JsonAllocator& allocator);
// Value: null when `isNull`, else a copy of all of `text`'s bytes (zero bytes included).
JsonValue& addStringMember(JsonValue& object, std::string_view name, std::string_view text,
                                  bool isNull, JsonAllocator& allocator);

// Appends an empty object to `array` and returns it; valid until the next push.
JsonValue& pushObjectElement(JsonValue& array, JsonAllocator& allocator);
