#pragma once

#include <memory>
#include <vector>

#include "cli/Arguments.hpp"
#include "cli/Cli.hpp"
#include "engine/Chains.hpp"
#include "engine/MoveOrder.hpp"
#include "engine/RenamePlan.hpp"

namespace tavix::cli {

// The plan of the files with the steps, as the options ask: keeping or not the
// extension, one batch per folder or one in all, and the date source.
// With `newNames`, each file gets the name given for its path, with no step run.
// With `chains`, names given up within the plan are free (freeChains).
// The folders are read through `folders` when given, else through a set of the
// plan's own; the plan keeps them in `folders` either way. Date steps take the
// dates in `stepDates` where given (readFiles's, one per file).
RenamePlan planBatches(std::vector<Location> files, const std::vector<RenameRule>& rules,
                       const Arguments& args,
                       std::shared_ptr<FileSystem::FolderSnapshots> folders = nullptr,
                       RenameEngine::KnownDates stepDates = {});

// What a `plan` or `rename` command line plans: its steps and files read (each
// folder once, for the files, their destinations and the journal; a sort by
// the date the date steps write hands the dates on, so each file is read once),
// and how many files the plan holds.
struct CommandLinePlan {
    RenamePlan plan;
    std::size_t fileCount = 0;
};
CommandLinePlan planCommandLine(const Arguments& args, Io& io);

// The order of the plan's moves, with fresh temporary names.
MoveOrder moveOrder(const RenamePlan& plan);

// Each item's place in the plan's move order, for the preview.
RenameEngine::ChainPlaces chainPlaces(const RenamePlan& plan);

}  // namespace tavix::cli
