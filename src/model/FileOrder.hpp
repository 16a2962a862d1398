#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "text/Location.hpp"

// The orders a list of files can be sorted into, shared by the window's model
// and the terminal program.
namespace tavix::FileList {

enum class SortOrder {
    name,     // as a file browser orders names (sortedByName)
    date,     // content modification time
    size,     // smallest first
    created,  // birth time, where the file system records one
    taken,    // the moment a photo was taken; other files by modification time
};

// `files` sorted by `order`, oldest (or smallest, or first by name) first, or
// the other way round with `reverse`. Every sort is stable, also reversed
// (files with equal keys keep their list order), and reads each key once,
// before sorting; files whose key can't be read come first, either way.
// `keysRead`, when set, is told after each key read from the disk how many have
// been read (the name order reads none).
std::vector<Location> sorted(std::vector<Location> files, SortOrder order, bool reverse = false,
                             const std::function<void(std::size_t)>& keysRead = {});

}  // namespace tavix::FileList
