#include "cli/CommandPlan.hpp"

#include <unordered_map>

#include "cli/Inputs.hpp"
#include "engine/Chains.hpp"
#include "model/ListPlanning.hpp"
#include "text/PathNames.hpp"

namespace tavix::cli {
namespace {

// Whether each file is the path given at its own place: nothing was skipped
// (a missing file, a folder, a path given twice) and nothing reordered.
bool inGivenOrder(const std::vector<Location>& files, const std::vector<std::string>& paths) {
    if (files.size() != paths.size()) return false;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (files[i].native() != paths[i]) return false;
    }
    return true;
}

// Each file's new name: the first given for its path.
std::vector<std::string> namesByPath(const std::vector<Location>& files, const Arguments& args) {
    std::unordered_map<std::string_view, std::size_t> place;
    place.reserve(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) place.emplace(files[i].native(), i);
    std::vector<std::string> names;
    names.reserve(files.size());
    for (const Location& file : files) names.push_back(PathNames::name(file));
    // Last to first, so that a path's first name is the one that stays.
    for (std::size_t k = args.paths.size(); k-- > 0;) {
        const auto found = place.find(args.paths[k]);
        if (found != place.end()) names[found->second] = (*args.newNames)[k];
    }
    return names;
}

// Files with names given: one plan, or with `perFolder` one per folder (so that
// names clash only within a folder), batch after batch as the steps' plan has them.
// Every part reads its folders through `folders`, which the plan keeps.
RenamePlan planGivenNames(std::vector<Location> files, const Arguments& args,
                          std::shared_ptr<FileSystem::FolderSnapshots> folders) {
    if (!folders) folders = std::make_shared<FileSystem::FolderSnapshots>();
    const bool aligned = inGivenOrder(files, args.paths);
    if (aligned && !args.perFolder) {
        return RenameEngine::planNames(std::move(files), *args.newNames, std::move(folders));
    }
    std::vector<std::string> names = aligned ? *args.newNames : namesByPath(files, args);
    if (!args.perFolder)
        return RenameEngine::planNames(std::move(files), names, std::move(folders));
    std::vector<std::pair<std::vector<Location>, std::vector<std::string>>> batches;
    std::unordered_map<std::string, std::size_t> batchOf;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const auto [at, added] =
            batchOf.try_emplace(PathNames::folder(files[i]).string(), batches.size());
        if (added) batches.emplace_back();
        batches[at->second].first.push_back(std::move(files[i]));
        batches[at->second].second.push_back(std::move(names[i]));
    }
    RenamePlan plan;
    plan.folders = folders;
    plan.items.reserve(files.size());
    for (auto& [batchFiles, batchNames] : batches) {
        plan.append(RenameEngine::planNames(std::move(batchFiles), batchNames, folders));
    }
    return plan;
}

}  // namespace

RenamePlan planBatches(std::vector<Location> files, const std::vector<RenameRule>& rules,
                       const Arguments& args, std::shared_ptr<FileSystem::FolderSnapshots> folders,
                       RenameEngine::KnownDates stepDates) {
    RenamePlan plan = args.newNames ? planGivenNames(std::move(files), args, std::move(folders))
                                    : ListPlanning::plan(std::move(files), rules,
                                                         {.keepExtension = args.keepExtension,
                                                          .perFolder = args.perFolder,
                                                          .dates = args.dateSource,
                                                          .folders = std::move(folders),
                                                          .stepDates = stepDates});
    if (args.chains) RenameEngine::freeChains(plan);
    return plan;
}

CommandLinePlan planCommandLine(const Arguments& args, Io& io) {
    const auto rules = readSteps(args, io);
    const auto folders = std::make_shared<FileSystem::FolderSnapshots>();
    std::vector<std::optional<FileSystem::Timestamp>> dates;
    auto files = readFiles(args, io, folders.get(), &dates);
    const std::size_t fileCount = files.size();
    return {planBatches(std::move(files), rules, args, folders, dates), fileCount};
}

MoveOrder moveOrder(const RenamePlan& plan) {
    return RenameEngine::orderMoves(RenameEngine::moveRequests(plan),
                                    RenameEngine::systemRandomBits());
}

RenameEngine::ChainPlaces chainPlaces(const RenamePlan& plan) {
    return RenameEngine::chainPlaces(plan, moveOrder(plan));
}

}  // namespace tavix::cli
