#pragma once

#include <filesystem>
#include <vector>

#include "cli/Arguments.hpp"
#include "text/Location.hpp"

namespace tavix::cli {

// The list in the order asked for: by name or date modified as the window sorts,
// or by size (smallest first), creation date or the date a photo was taken
// (files without one by their modification date), oldest first. Every sort is
// stable and reads each key once; files whose key can't be read come first,
// also when `reverse` turns the order of the others round.
std::vector<Location> sortedFiles(std::vector<Location> files, SortOrder order, bool reverse);

}  // namespace tavix::cli
