#include "model/FileOrder.hpp"

#include <algorithm>
#include <numeric>
#include <optional>

#include "model/FileList.hpp"
#include "system/FileSystem.hpp"
#include "system/PhotoDate.hpp"

namespace tavix::FileList {
namespace {

// Keys are read before sorting: a comparison that re-read the disk could
// change its answer mid-sort.
template <class Key>
std::vector<Location> sortedByKey(std::vector<Location> files, bool reverse,
                                  const std::function<void(std::size_t)>& keysRead, Key&& key) {
    using Value = decltype(key(files.front()));
    std::vector<Value> keys;
    keys.reserve(files.size());
    for (const Location& file : files) {
        keys.push_back(key(file));
        if (keysRead) keysRead(keys.size());
    }
    std::vector<std::size_t> order(files.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const auto& x = keys[a];
        const auto& y = keys[b];
        if (!x || !y) return !x && y;  // unreadable first, whatever the direction
        return reverse ? *y < *x : *x < *y;
    });
    std::vector<Location> sorted;
    sorted.reserve(files.size());
    for (std::size_t i : order) sorted.push_back(std::move(files[i]));
    return sorted;
}

}  // namespace

std::vector<Location> sorted(std::vector<Location> files, SortOrder order, bool reverse,
                             const std::function<void(std::size_t)>& keysRead) {
    if (files.empty()) return files;
    switch (order) {
        case SortOrder::name:
            if (!reverse) return sortedByName(std::move(files));
            // Reversed in, sorted stably, reversed out: names descending, and
            // names that compare equal still in list order.
            std::reverse(files.begin(), files.end());
            files = sortedByName(std::move(files));
            std::reverse(files.begin(), files.end());
            return files;
        case SortOrder::date:
            return sortedByKey(std::move(files), reverse, keysRead, [](const Location& file) {
                return FileSystem::modificationTime(file);
            });
        case SortOrder::size:
            return sortedByKey(std::move(files), reverse, keysRead, [](const Location& file) {
                const auto facts = FileSystem::sizeAndDates(file);
                return facts ? facts->size : std::nullopt;
            });
        case SortOrder::created:
            return sortedByKey(std::move(files), reverse, keysRead, [](const Location& file) {
                const auto facts = FileSystem::sizeAndDates(file);
                return facts ? facts->created : std::nullopt;
            });
        case SortOrder::taken:
            return sortedByKey(std::move(files), reverse, keysRead, [](const Location& file) {
                return PhotoDate::takenOrModified(file);
            });
    }
    return files;
}

}  // namespace tavix::FileList
