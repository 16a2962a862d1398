#pragma once

#include <vector>

#include "cli/Arguments.hpp"
#include "engine/RenamePlan.hpp"

namespace tavix::cli {

// The plan of the files with the steps, as the options ask: keeping or not the
// extension, one batch per folder or one in all, and the date source.
RenamePlan planBatches(std::vector<Location> files, const std::vector<RenameRule>& rules,
                       const Arguments& args);

}  // namespace tavix::cli
