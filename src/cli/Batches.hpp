#pragma once

#include <filesystem>
#include <vector>

#include "cli/Arguments.hpp"
#include "engine/RenamePlan.hpp"

namespace tavix::cli {

// The plan of the files with the steps, keeping or not the extension and with
// the date source asked for. With `perFolder`, each folder's files are planned
// as their own batch, folders in the order they first appear: numbering starts
// again in each, and names clash only within a folder. The items of the batches
// follow one another in one plan, which is performed like any other.
RenamePlan planBatches(std::vector<Location> files, const std::vector<RenameRule>& rules,
                       const Arguments& args);

}  // namespace tavix::cli
