#include "model/FileOrder.hpp"

#include <algorithm>
#include <numeric>
#include <optional>

#include "model/FileList.hpp"
#include "system/FileSystem.hpp"
#include "system/PhotoDate.hpp"

namespace tavix::FileList {
namespace {

using Date = std::optional<FileSystem::Timestamp>;
using RenameEngine::DateSource;

// The stable order of `keys`, unreadable ones first whatever the direction.
template <class Value>
std::vector<std::size_t> orderOf(const std::vector<Value>& keys, bool reverse) {
    std::vector<std::size_t> order(keys.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const auto& x = keys[a];
        const auto& y = keys[b];
        if (!x || !y) return !x && y;
        return reverse ? *y < *x : *x < *y;
    });
    return order;
}

template <class Item>
std::vector<Item> inOrder(std::vector<Item>& items, const std::vector<std::size_t>& order) {
    std::vector<Item> sorted;
    sorted.reserve(items.size());
    for (std::size_t i : order) sorted.push_back(std::move(items[i]));
    return sorted;
}

// Keys are read before sorting: a comparison that re-read the disk could
// change its answer mid-sort. `key` gives a file's key; with `stepDates`, it
// also gives the file's date for the date step, into `date`.
template <class Key>
std::vector<Location> sortedByKey(std::vector<Location> files, bool reverse,
                                  const std::function<void(std::size_t)>& keysRead,
                                  std::vector<Date>* stepDates, Key&& key) {
    using Value = decltype(key(files.front(), nullptr));
    std::vector<Value> keys;
    keys.reserve(files.size());
    std::vector<Date> dates;
    if (stepDates) dates.resize(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        keys.push_back(key(files[i], stepDates ? &dates[i] : nullptr));
        if (keysRead) keysRead(keys.size());
    }
    const std::vector<std::size_t> order = orderOf(keys, reverse);
    if (stepDates) *stepDates = inOrder(dates, order);
    return inOrder(files, order);
}

// The moment a photo was taken, else the modification time. With `date`, also
// what a date step reading the date taken writes: the camera's clock, else the
// modification time, from the same read of the file.
Date takenKey(const Location& file, Date* date) {
    if (!date) return PhotoDate::takenOrModified(file);
    const PhotoDate::Dates read = PhotoDate::read(file);
    Date modified;
    if (!read.moment || !read.cameraClock) modified = FileSystem::modificationTime(file);
    *date = read.cameraClock ? read.cameraClock : modified;
    return read.moment ? read.moment : modified;
}

}  // namespace

std::vector<Location> sorted(std::vector<Location> files, SortOrder order, bool reverse,
                             const std::function<void(std::size_t)>& keysRead,
                             StepDates* stepDates) {
    if (stepDates) stepDates->dates.clear();
    if (files.empty()) return files;
    const auto datesFor = [&](DateSource source) {
        return stepDates && stepDates->source == source ? &stepDates->dates : nullptr;
    };
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
            return sortedByKey(std::move(files), reverse, keysRead, datesFor(DateSource::modified),
                               [](const Location& file, Date* date) {
                                   const Date modified = FileSystem::modificationTime(file);
                                   if (date) *date = modified;
                                   return modified;
                               });
        case SortOrder::size:
            return sortedByKey(std::move(files), reverse, keysRead, nullptr,
                               [](const Location& file, Date*) {
                                   const auto facts = FileSystem::sizeAndDates(file);
                                   return facts ? facts->size : std::nullopt;
                               });
        case SortOrder::created:
            return sortedByKey(std::move(files), reverse, keysRead, nullptr,
                               [](const Location& file, Date*) {
                                   const auto facts = FileSystem::sizeAndDates(file);
                                   return facts ? facts->created : std::nullopt;
                               });
        case SortOrder::taken:
            return sortedByKey(std::move(files), reverse, keysRead, datesFor(DateSource::taken),
                               takenKey);
    }
    return files;
}

}  // namespace tavix::FileList
