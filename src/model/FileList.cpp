#include "model/FileList.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <memory>
#include <numeric>

#include "system/FileSystem.hpp"
#include "system/FolderEntries.hpp"
#include "text/NameCollation.hpp"
#include "text/PathNames.hpp"

namespace tavix::FileList {

std::string_view describe(SkipReason reason) {
    switch (reason) {
        case SkipReason::alreadyListed:
            return "already listed";
        case SkipReason::isFolder:
            return "is a folder";
        case SkipReason::doesNotExist:
            return "does not exist";
    }
    return {};
}

namespace {

// The listed paths by their text: an open-addressing table of offsets into the
// list, each beside the upper half of its path's hash, so that a probe reads a
// listed path only when the hashes agree. A few bytes a path, where a node set
// takes a heap block for each.
class ListedPaths {
public:
    ListedPaths(const std::vector<Location>& files, std::size_t most)
        : files_(files), slots_(std::bit_ceil(std::max<std::size_t>(2 * most, 16))) {}

    static std::uint64_t hashOf(std::string_view path) {
        return std::hash<std::string_view>{}(path);
    }

    // Starts fetching the slot where a path with `hash` is first looked for: a
    // long list's table lies far beyond the cache.
    void prefetch(std::uint64_t hash) const {
        __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
    }

    // The slot that holds `path`, or the empty one where it would go.
    std::size_t slotOf(std::string_view path, std::uint64_t hash) const {
        const std::size_t mask = slots_.size() - 1;
        const auto tag = static_cast<std::uint32_t>(hash >> 32);
        for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
            const std::uint64_t entry = slots_[slot];
            if (entry == 0) return slot;
            if (static_cast<std::uint32_t>(entry >> 32) == tag &&
                files_[static_cast<std::uint32_t>(entry) - 1].native() == path) {
                return slot;
            }
        }
    }
    bool holds(std::size_t slot) const { return slots_[slot] != 0; }
    // Records list entry `index` at its empty slot.
    void put(std::size_t slot, std::uint64_t hash, std::size_t index) {
        slots_[slot] = (hash >> 32) << 32 | static_cast<std::uint32_t>(index + 1);
    }

private:
    const std::vector<Location>& files_;
    std::vector<std::uint64_t> slots_;  // tag << 32 | 1 + an offset; 0 when empty
};

}  // namespace

std::vector<Location> adding(const std::vector<Location>& current, std::vector<Location> given,
                         const std::function<void(const Location&, SkipReason)>& onSkip,
                         FileSystem::FolderSnapshots* folders) {
    std::vector<Location> files;
    files.reserve(current.size() + given.size());
    files.insert(files.end(), current.begin(), current.end());
    ListedPaths listed(files, files.capacity());
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::uint64_t hash = ListedPaths::hashOf(files[i].native());
        const std::size_t slot = listed.slotOf(files[i].native(), hash);
        if (!listed.holds(slot)) listed.put(slot, hash, i);
    }
    // Asked for all at once: a folder that holds many of them is read once.
    const std::vector<FileSystem::ExistsAndKind> found =
        folders ? folders->existAndKinds(given) : FileSystem::existAndKinds(given);
    // Each path's hash is worked out a few paths ahead, and its slot fetched then.
    constexpr std::size_t ahead = 8;
    std::uint64_t hashes[ahead];
    for (std::size_t i = 0; i < std::min(ahead, given.size()); ++i) {
        hashes[i] = ListedPaths::hashOf(given[i].native());
        listed.prefetch(hashes[i]);
    }
    for (std::size_t i = 0; i < given.size(); ++i) {
        Location& path = given[i];
        const std::uint64_t hash = hashes[i % ahead];
        if (i + ahead < given.size()) {
            hashes[i % ahead] = ListedPaths::hashOf(given[i + ahead].native());
            listed.prefetch(hashes[i % ahead]);
        }
        const auto report = [&](SkipReason reason) {
            if (onSkip) onSkip(path, reason);
        };
        const std::size_t slot = listed.slotOf(path.native(), hash);
        if (listed.holds(slot)) {
            report(SkipReason::alreadyListed);
            continue;
        }
        if (!found[i].exists) {
            report(SkipReason::doesNotExist);
            continue;
        }
        if (found[i].isFolder) {
            report(SkipReason::isFolder);
            continue;
        }
        listed.put(slot, hash, files.size());
        files.push_back(std::move(path));
    }
    return files;
}

std::vector<Location> sortedByName(std::vector<Location> files) {
    // One sort key per name, made once: comparing keys is a byte comparison.
    std::vector<std::string_view> names;
    names.reserve(files.size());
    for (const Location& file : files) names.push_back(PathNames::nameView(file));
    const std::vector<std::string> keys = text::nameSortKeys(names);
    if (keys.size() != files.size()) return files;
    std::vector<std::size_t> order(files.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    std::vector<Location> sorted;
    sorted.reserve(files.size());
    for (std::size_t i : order) sorted.push_back(std::move(files[i]));
    return sorted;
}

}  // namespace tavix::FileList
