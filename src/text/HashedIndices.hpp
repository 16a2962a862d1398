#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavix {

// A set of indices, each under its key's 32-bit hash: an open-addressing table
// of 8-byte slots, where a node-based map takes a heap block for each. The keys
// themselves are the caller's: a slot keeps the hash beside the index, and two
// keys are compared (`same`) only when their hashes agree. The table is at
// most half full, and a slot can be fetched ahead (prefetch) of its use, as a
// long list's table lies far beyond the cache.
// (engine/NameTable is the other such table: 4-byte slots, for keys that are
// cheap to compare on every probe; this one spends 8 for keys that are costly
// to make, such as case-folded names.)
class HashedIndices {
public:
    static constexpr std::uint32_t none = UINT32_MAX;

    // Room for `most` indices, each below `none`.
    explicit HashedIndices(std::size_t most)
        : slots_(std::bit_ceil(std::max<std::size_t>(2 * most, 8))) {}

    // Starts fetching the slot where a key with `hash` is first looked for.
    void prefetch(std::uint32_t hash) const {
        __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
    }

    // The index under `hash` whose key is the one sought (same(index) holds), or none.
    template <class Same>
    std::uint32_t find(std::uint32_t hash, const Same& same) const {
        const std::uint64_t entry = slots_[slotOf(hash, same)];
        return entry == 0 ? none : static_cast<std::uint32_t>(entry) - 1;
    }

    // Adds `index` under `hash`, unless an index with the same key (same(other)
    // holds) is there already: then gives that one and adds nothing, else none.
    template <class Same>
    std::uint32_t insert(std::uint32_t hash, std::uint32_t index, const Same& same) {
        std::uint64_t& entry = slots_[slotOf(hash, same)];
        if (entry != 0) return static_cast<std::uint32_t>(entry) - 1;
        entry = std::uint64_t{hash} << 32 | (index + 1);
        return none;
    }

private:
    // The slot holding the index whose key is sought, or the free slot where
    // it would go.
    template <class Same>
    std::size_t slotOf(std::uint32_t hash, const Same& same) const {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
            const std::uint64_t entry = slots_[slot];
            if (entry == 0) return slot;
            if (static_cast<std::uint32_t>(entry >> 32) == hash &&
                same(static_cast<std::uint32_t>(entry) - 1)) {
                return slot;
            }
        }
    }

    // The key's hash, then 1 + the index; 0 for a free slot.
    std::vector<std::uint64_t> slots_;
};

}  // namespace tavix
