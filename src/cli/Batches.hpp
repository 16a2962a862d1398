#pragma once

#include <vector>

#include "cli/Arguments.hpp"
#include "engine/Chains.hpp"
#include "engine/RenamePlan.hpp"

namespace tavix::cli {

// The plan of the files with the steps, as the options ask: keeping or not the
// extension, one batch per folder or one in all, and the date source.
// With `newNames`, each file gets the name given for its path, with no step run.
// With `chains`, names given up within the plan are free (freeChains), and a
// rename whose moves would need ordering is refused (below).
RenamePlan planBatches(std::vector<Location> files, const std::vector<RenameRule>& rules,
                       const Arguments& args);

// Throws InputError when the plan's moves can't be made one by one in plan
// order (a file must first leave a name that an earlier item takes, or a cycle
// must be broken): until the journal records a move order and temporary names,
// such a batch isn't performed.
void refuseOrderedMoves(const RenamePlan& plan);

// Each item's place in the plan's move order, for the preview.
RenameEngine::ChainPlaces chainPlaces(const RenamePlan& plan);

}  // namespace tavix::cli
