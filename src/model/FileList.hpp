#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "system/FolderEntries.hpp"
#include "text/Location.hpp"

// The rules by which files join the list and are sorted, shared by the window's
// model and the terminal program.
namespace tavix::FileList {

enum class SkipReason { alreadyListed, isFolder, doesNotExist };

// "already listed", "is a folder", "does not exist".
std::string_view describe(SkipReason reason);

// `current` followed by each of `given` in order that is not listed yet (by
// path), exists and is not a folder. `onSkip`, when set, hears of every skip.
// The folders are read through `folders` when given, which keeps the reads for
// the plan that follows.
std::vector<Location> adding(const std::vector<Location>& current, std::vector<Location> given,
                         const std::function<void(const Location&, SkipReason)>& onSkip = {},
                         FileSystem::FolderSnapshots* folders = nullptr);

// A stable sort by file name as a file browser orders names: the user's
// locale's collation, letter case ignored, runs of digits by numeric value.
std::vector<Location> sortedByName(std::vector<Location> files);

// Other orders, by date included: FileOrder.hpp.

}  // namespace tavix::FileList
