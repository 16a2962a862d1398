#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

#include "engine/RenameEngine.hpp"
#include "system/FileSystem.hpp"
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
// With `stepDates`, an order whose keys are read from the same place as a date
// step with `stepDates->source` reads its date (taken with taken, date with
// modified) hands those dates on in `stepDates->dates`, one per sorted file, so
// that the step doesn't read the file again; other orders leave it empty.
struct StepDates {
    RenameEngine::DateSource source = RenameEngine::DateSource::modified;
    std::vector<std::optional<FileSystem::Timestamp>> dates;
};
std::vector<Location> sorted(std::vector<Location> files, SortOrder order, bool reverse = false,
                             const std::function<void(std::size_t)>& keysRead = {},
                             StepDates* stepDates = nullptr);

}  // namespace tavix::FileList
