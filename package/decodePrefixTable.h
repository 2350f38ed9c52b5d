#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/Bytes.h"
#include "core/FatalError.h"
#include "core/PtrArray.h"
#include "core/StringBuffer.h"

// The walk shared by every prefix-compressed table. A table is a run of
// 4-byte name units (character, then a 24-bit little-endian branch position);
// an entry is its units up to a unit whose character is 0, followed by a
// payload whose layout the `Payload` reader knows:
//   Payload::minimumSize          smallest payload, for sizing the list
//   payload.size(rest) -> bytes   payload length, given the bytes from its start
//   payload.read(bytes, record)   fills the record from exactly those bytes
// A unit with branch position b hands the name collected so far (its own
// character excluded) to the entry that starts at unit b.
//
// The table is untrusted: branch positions outside the table are ignored, a
// unit or payload crossing the table's end is a PackageFormatError, and names
// may not expand beyond a fixed multiple of the table size (nested prefixes
// can otherwise make a small table decode to gigabytes).

// Decoded name bytes allowed per table byte. Real names (paths of at most a
// few hundred characters, one entry per at least 8 table bytes) stay far
// below it.
inline constexpr std::uint64_t maxNameBytesPerTableByte = 64;
inline constexpr std::uint64_t nameByteAllowance = 65536;
inline constexpr std::size_t initialNameRoom = 512;

template <typename Record, typename Payload>
void decodePrefixTable(PtrArray<Record>& list, ByteSpan table, std::string_view tableName, const Payload& payload) {
    constexpr std::uint32_t unitSize = 4;
    constexpr std::uint32_t noEntry = std::numeric_limits<std::uint32_t>::max();

    // A prefix waiting at a unit: the first `length` bytes of entry `entry`.
    // Entries never change once decoded, so a reference replaces a copy.
    struct PendingPrefix {
        std::uint32_t entry = noEntry;
        std::uint32_t length = 0;
    };

    list.clear();
    const std::uint64_t size = table.size();
    if (size == 0) {
        return;
    }
    const std::uint64_t unitCount = size / unitSize;
    list.reserve(static_cast<std::uint32_t>(size / (unitSize + Payload::minimumSize)));
    std::vector<PendingPrefix> pending(static_cast<std::size_t>(unitCount));
    const std::uint64_t nameBudget = size * maxNameBytesPerTableByte + nameByteAllowance;
    std::uint64_t nameBytes = 0;

    const auto fail = [&](const std::string& what) {
        throw PackageFormatError(std::string(tableName) + ": " + what);
    };
    const auto requireUnit = [&](std::uint64_t p) {
        if (!rangeInside(size, p, unitSize)) {
            fail("name unit at byte " + std::to_string(p) + " crosses the end of the table (" +
                 std::to_string(size) + " bytes)");
        }
    };

    std::string name;
    name.reserve(initialNameRoom);
    std::uint64_t p = 0;
    while (p != size) {
        requireUnit(p);
        name.clear();
        const PendingPrefix inherited = std::exchange(pending[static_cast<std::size_t>(p / unitSize)], {});
        if (inherited.entry != noEntry) {
            if (nameBytes + inherited.length > nameBudget) {
                fail("names expand to more than " + std::to_string(nameBudget) + " bytes, far more than a table of " +
                     std::to_string(size) + " bytes can hold");
            }
            name.append(list[inherited.entry].name.view().substr(0, inherited.length));
        }
        for (;;) {
            requireUnit(p);
            const std::uint8_t* unit = table.data() + p;
            const std::uint32_t branch = std::uint32_t{unit[1]} | (std::uint32_t{unit[2]} << 8U) |
                                         (std::uint32_t{unit[3]} << 16U);
            if (branch != 0 && branch < unitCount) {
                pending[branch] = {list.count(), static_cast<std::uint32_t>(name.size())};
            }
            p += unitSize;
            if (unit[0] == 0) {
                break;
            }
            name.push_back(static_cast<char>(unit[0]));
        }
        nameBytes += name.size();
        if (nameBytes > nameBudget) {
            fail("names expand to more than " + std::to_string(nameBudget) + " bytes, far more than a table of " +
                 std::to_string(size) + " bytes can hold");
        }

        const ByteSpan rest = table.subspan(static_cast<std::size_t>(p));
        const std::uint32_t payloadSize = payload.size(rest);
        if (payloadSize > rest.size()) {
            fail("the " + std::to_string(payloadSize) + "-byte payload of entry " + std::to_string(list.count()) +
                 " at byte " + std::to_string(p) + " crosses the end of the table (" + std::to_string(size) +
                 " bytes)");
        }
        Record& record = list.append();
        record.name = StringBuffer::fromBytes(name);
        payload.read(rest.first(payloadSize), record);
        p += payloadSize;
    }
}
