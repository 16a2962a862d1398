#include "cli/Batches.hpp"

#include <unordered_map>

#include "cli/Inputs.hpp"
#include "engine/Chains.hpp"
#include "model/Batches.hpp"
#include "text/PathNames.hpp"

namespace tavix::cli {
namespace {

RenamePlan planNames(std::vector<Location>&& files, const Arguments& args) {
    std::vector<std::string> names;
    names.reserve(files.size());
    for (const Location& file : files) {
        const auto found = args.newNames->find(file.native());
        names.push_back(found != args.newNames->end() ? found->second : PathNames::name(file));
    }
    return RenameEngine::planNames(std::move(files), names);
}

// Files with names given: one plan, or with `perFolder` one per folder (so that
// names clash only within a folder), batch after batch as the steps' plan has them.
RenamePlan planGivenNames(std::vector<Location> files, const Arguments& args) {
    if (!args.perFolder) return planNames(std::move(files), args);
    std::vector<std::vector<Location>> batches;
    std::unordered_map<std::string, std::size_t> batchOf;
    for (Location& file : files) {
        const auto [at, added] =
            batchOf.try_emplace(PathNames::folder(file).string(), batches.size());
        if (added) batches.emplace_back();
        batches[at->second].push_back(std::move(file));
    }
    RenamePlan plan;
    plan.items.reserve(files.size());
    for (auto& batch : batches) {
        plan.append(planNames(std::move(batch), args));
    }
    return plan;
}

}  // namespace

RenamePlan planBatches(std::vector<Location> files, const std::vector<RenameRule>& rules,
                       const Arguments& args) {
    RenamePlan plan = args.newNames ? planGivenNames(std::move(files), args)
                                    : Batches::plan(std::move(files), rules,
                                                    {.keepExtension = args.keepExtension,
                                                     .perFolder = args.perFolder,
                                                     .dates = args.dateSource});
    if (args.chains) RenameEngine::freeChains(plan);
    return plan;
}

MoveOrder moveOrder(const RenamePlan& plan) {
    return RenameEngine::orderMoves(RenameEngine::moveRequests(plan),
                                    RenameEngine::systemRandomBits());
}

RenameEngine::ChainPlaces chainPlaces(const RenamePlan& plan) {
    return RenameEngine::chainPlaces(plan, moveOrder(plan));
}

}  // namespace tavix::cli
