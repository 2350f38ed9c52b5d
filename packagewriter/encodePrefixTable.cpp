#include "packagewriter/encodePrefixTable.h"

#include <limits>
#include <stdexcept>
#include <unordered_map>

#include "packagewriter/putBytes.h"

namespace packagewriter {

namespace {

constexpr std::uint32_t unitSize = 4;
constexpr std::uint32_t maxBranchPosition = (1U << 24U) - 1U;
constexpr std::uint32_t none = std::numeric_limits<std::uint32_t>::max();

// A trie of the prefixes of the names encoded so far. A node keeps the units
// whose branch slot is still free and would hand on exactly its prefix.
class PrefixTrie {
public:
    PrefixTrie() : nodes_(1) {}

    std::uint32_t child(std::uint32_t node, char c) const {
        const auto it = children_.find(key(node, c));
        return it == children_.end() ? none : it->second;
    }

    std::uint32_t childOrNew(std::uint32_t node, char c) {
        const auto [it, added] = children_.try_emplace(key(node, c), static_cast<std::uint32_t>(nodes_.size()));
        if (added) {
            nodes_.emplace_back();
        }
        return it->second;
    }

    void addFreeUnit(std::uint32_t node, std::uint32_t unit) {
        slots_.push_back({unit, nodes_[node].firstFree});
        nodes_[node].firstFree = static_cast<std::uint32_t>(slots_.size() - 1U);
    }

    bool hasFreeUnit(std::uint32_t node) const { return nodes_[node].firstFree != none; }

    std::uint32_t takeFreeUnit(std::uint32_t node) {
        const FreeSlot slot = slots_[nodes_[node].firstFree];
        nodes_[node].firstFree = slot.next;
        return slot.unit;
    }

private:
    struct Node {
        std::uint32_t firstFree = none;
    };
    struct FreeSlot {
        std::uint32_t unit;
        std::uint32_t next;
    };
    static std::uint64_t key(std::uint32_t node, char c) {
        return (std::uint64_t{node} << 8U) | static_cast<unsigned char>(c);
    }

    std::vector<Node> nodes_;
    std::vector<FreeSlot> slots_;
    std::unordered_map<std::uint64_t, std::uint32_t> children_;
};

void appendUnit(std::vector<std::uint8_t>& out, char c) {
    out.push_back(static_cast<std::uint8_t>(c));
    out.insert(out.end(), 3, 0);
}

} // namespace

std::vector<std::uint8_t> encodePrefixTable(std::span<const TableEntry> entries,
                                            std::vector<std::uint32_t>* payloadOffsets) {
    std::vector<std::uint8_t> out;
    PrefixTrie trie;
    if (payloadOffsets != nullptr) {
        payloadOffsets->clear();
    }
    for (const TableEntry& entry : entries) {
        const std::string& name = entry.name;
        if (name.find('\0') != std::string::npos) {
            throw std::invalid_argument("a name in a prefix table cannot hold a zero byte");
        }
        if (entry.payload.size() % unitSize != 0) {
            throw std::invalid_argument("a payload in a prefix table must be a multiple of 4 bytes");
        }
        const std::size_t startUnit = out.size() / unitSize;

        // The deepest earlier prefix of this name with a free slot.
        std::size_t inherited = 0;
        std::uint32_t donor = none;
        if (startUnit <= maxBranchPosition) {
            std::uint32_t node = 0;
            for (std::size_t depth = 0;; ++depth) {
                if (depth > 0 && trie.hasFreeUnit(node)) {
                    donor = node;
                    inherited = depth;
                }
                if (depth == name.size()) {
                    break;
                }
                node = trie.child(node, name[depth]);
                if (node == none) {
                    break;
                }
            }
        }
        if (donor != none) {
            const std::uint32_t unit = trie.takeFreeUnit(donor);
            putU24(out, std::size_t{unit} * unitSize + 1U, static_cast<std::uint32_t>(startUnit));
        }

        // Own units: the characters after the inherited prefix, then the
        // terminator. The unit at name position j can hand on name[0, j).
        std::uint32_t node = 0;
        for (std::size_t j = 0; j <= name.size(); ++j) {
            if (j >= inherited) {
                trie.addFreeUnit(node, static_cast<std::uint32_t>(startUnit + (j - inherited)));
                appendUnit(out, j < name.size() ? name[j] : '\0');
            }
            if (j < name.size()) {
                node = trie.childOrNew(node, name[j]);
            }
        }
        if (payloadOffsets != nullptr) {
            payloadOffsets->push_back(static_cast<std::uint32_t>(out.size()));
        }
        out.insert(out.end(), entry.payload.begin(), entry.payload.end());
    }
    return out;
}

std::vector<std::uint8_t> encodeNameTable(std::span<const NamedValue> names) {
    std::vector<TableEntry> entries;
    entries.reserve(names.size());
    for (const NamedValue& named : names) {
        std::vector<std::uint8_t> payload(4);
        putU32(payload, 0, named.value);
        entries.push_back({named.name, std::move(payload)});
    }
    return encodePrefixTable(entries);
}

std::vector<std::uint8_t> fileDescription(std::uint32_t type, std::uint32_t offset, std::uint32_t size,
                                          std::uint32_t atlasIndex, std::uint32_t width, std::uint32_t height) {
    const bool atlas = type == atlasFile;
    std::vector<std::uint8_t> bytes(atlas ? 32U : 12U, 0);
    putU32(bytes, 0, type);
    putU32(bytes, 4, offset);
    putU32(bytes, 8, size);
    if (atlas) {
        putU32(bytes, 12, atlasIndex);
        putU32(bytes, 16, unreadFiller);
        putU32(bytes, 20, unreadFiller);
        putU32(bytes, 24, width);
        putU32(bytes, 28, height);
    }
    return bytes;
}

} // namespace packagewriter
