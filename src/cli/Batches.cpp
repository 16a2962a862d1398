#include "cli/Batches.hpp"

#include <unordered_map>

#include "system/FileSystem.hpp"
#include "text/PathNames.hpp"

namespace tavix::cli {

RenamePlan planBatches(std::vector<Location> files, const std::vector<RenameRule>& rules,
                       const Arguments& args) {
    const auto dates = args.dateSource == DateSource::taken ? RenameEngine::DateSource::taken
                                                            : RenameEngine::DateSource::modified;
    if (!args.perFolder)
        return RenameEngine::plan(std::move(files), rules, args.keepExtension, dates);

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
        RenamePlan part = RenameEngine::plan(std::move(batch), rules, args.keepExtension, dates);
        std::move(part.items.begin(), part.items.end(), std::back_inserter(plan.items));
    }
    return plan;
}

}  // namespace tavix::cli
