#include "model/ListPlanning.hpp"

#include <iterator>
#include <optional>
#include <string>
#include <unordered_map>

#include "system/FolderEntries.hpp"
#include "text/PathNames.hpp"

namespace tavix::ListPlanning {
namespace {

// One plan per folder's files, joined in the order the folders first appear.
// With `movePaths`, the paths are moved out of `files` rather than copied.
template <bool movePaths, class Files>
RenamePlan planEachFolder(Files& files, const std::vector<RenameRule>& rules,
                          const Planning& planning,
                          std::vector<RenameEngine::StepStages>* stages = nullptr) {
    std::vector<std::vector<Location>> batches;
    // Each batch's share of the dates read, when they were.
    std::vector<std::vector<std::optional<FileSystem::Timestamp>>> dates;
    const bool datesRead = planning.stepDates.size() == files.size();
    std::unordered_map<std::string, std::size_t> batchOf;
    std::vector<std::size_t> batchOfFile;
    batchOfFile.reserve(files.size());
    for (auto& file : files) {
        const auto [at, added] =
            batchOf.try_emplace(PathNames::folder(file).string(), batches.size());
        if (added) {
            batches.emplace_back();
            if (datesRead) dates.emplace_back();
        }
        if (datesRead) dates[at->second].push_back(planning.stepDates[batchOfFile.size()]);
        batchOfFile.push_back(at->second);
        if constexpr (movePaths) {
            batches[at->second].push_back(std::move(file));
        } else {
            batches[at->second].push_back(file);
        }
    }
    std::vector<RenamePlan> parts;
    parts.reserve(batches.size());
    const auto folders =
        planning.folders ? planning.folders : std::make_shared<FileSystem::FolderSnapshots>();
    if (stages != nullptr && stages->size() != batches.size()) {
        stages->clear();
        stages->resize(batches.size());
    }
    for (std::size_t b = 0; b < batches.size(); ++b) {
        const RenameEngine::KnownDates known =
            datesRead ? RenameEngine::KnownDates(dates[b]) : RenameEngine::KnownDates();
        if (stages != nullptr) {
            parts.push_back(RenameEngine::plan(batches[b], rules, planning.keepExtension,
                                               planning.dates, (*stages)[b], folders, known));
        } else {
            parts.push_back(RenameEngine::plan(std::move(batches[b]), rules, planning.keepExtension,
                                               planning.dates, folders, known));
        }
    }
    RenamePlan plan;
    plan.folders = folders;
    plan.items.reserve(batchOfFile.size());
    if (planning.inListOrder) {
        // Each batch keeps its files in list order, so the next item of a file's
        // batch is that file's.
        std::vector<std::size_t> next(parts.size(), 0);
        for (const RenamePlan& part : parts) plan.text.share(part.text);
        for (std::size_t batch : batchOfFile) {
            plan.items.push_back(std::move(parts[batch].items[next[batch]++]));
        }
        return plan;
    }
    for (RenamePlan& part : parts) plan.append(std::move(part));
    return plan;
}

}  // namespace

RenamePlan plan(const std::vector<Location>& files, const std::vector<RenameRule>& rules,
                const Planning& planning) {
    if (!planning.perFolder) {
        return RenameEngine::plan(files, rules, planning.keepExtension, planning.dates,
                                  planning.folders, planning.stepDates);
    }
    return planEachFolder<false>(files, rules, planning);
}

RenamePlan plan(std::vector<Location>&& files, const std::vector<RenameRule>& rules,
                const Planning& planning) {
    if (!planning.perFolder) {
        return RenameEngine::plan(std::move(files), rules, planning.keepExtension, planning.dates,
                                  planning.folders, planning.stepDates);
    }
    return planEachFolder<true>(files, rules, planning);
}

RenamePlan plan(const std::vector<Location>& files, const std::vector<RenameRule>& rules,
                const Planning& planning, std::vector<RenameEngine::StepStages>& stages) {
    if (!planning.perFolder) {
        if (stages.size() != 1) {
            stages.clear();
            stages.emplace_back();
        }
        return RenameEngine::plan(files, rules, planning.keepExtension, planning.dates,
                                  stages.front(), planning.folders, planning.stepDates);
    }
    return planEachFolder<false>(files, rules, planning, &stages);
}

}  // namespace tavix::ListPlanning
