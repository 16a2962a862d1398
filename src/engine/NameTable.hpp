#pragma once

#include <bit>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace tavix {

// A name in a folder: the folder's text up to and with its last slash, and the
// name, both views into text kept elsewhere.
struct FolderName {
    std::string_view folder;
    std::string_view name;
    friend bool operator==(const FolderName&, const FolderName&) = default;
};

inline std::size_t hashOf(const FolderName& key) noexcept {
    const std::size_t folder = std::hash<std::string_view>{}(key.folder);
    const std::size_t name = std::hash<std::string_view>{}(key.name);
    return folder ^ (name + 0x9e3779b97f4a7c15ULL + (folder << 6) + (folder >> 2));
}

// A set of numbered entries found by their FolderName, `keyOf(number)`: an
// open-addressing table of 32-bit numbers, a few bytes an entry where a
// node-based map takes a heap block for each. Sized once for `capacity` entries.
template <class KeyOf>
class NameTable {
public:
    NameTable(std::size_t capacity, KeyOf keyOf)
        : keyOf_(std::move(keyOf)), slots_(std::bit_ceil(std::max<std::size_t>(2 * capacity, 8))) {}

    static constexpr std::uint32_t none = UINT32_MAX;

    // The entry with `key`, or none.
    std::uint32_t find(const FolderName& key) const {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t slot = hashOf(key) & mask;; slot = (slot + 1) & mask) {
            if (slots_[slot] == 0) return none;
            if (keyOf_(slots_[slot] - 1) == key) return slots_[slot] - 1;
        }
    }

    // Adds `number` unless an entry with its key is there; false then.
    bool insert(std::uint32_t number) {
        const FolderName key = keyOf_(number);
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t slot = hashOf(key) & mask;; slot = (slot + 1) & mask) {
            if (slots_[slot] == 0) {
                slots_[slot] = number + 1;
                return true;
            }
            if (keyOf_(slots_[slot] - 1) == key) return false;
        }
    }

private:
    KeyOf keyOf_;
    std::vector<std::uint32_t> slots_;  // 1 + an entry's number; 0 for an empty slot
};

}  // namespace tavix
