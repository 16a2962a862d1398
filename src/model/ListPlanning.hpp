#pragma once

#include <memory>
#include <vector>

#include "engine/RenameEngine.hpp"
#include "engine/RenamePlan.hpp"
#include "engine/StepStages.hpp"
#include "rules/RenameRule.hpp"
#include "text/Location.hpp"

namespace tavix::ListPlanning {

// How a list is planned beside its steps.
struct Planning {
    bool keepExtension = true;
    // Each folder's files form their own batch, folders in the order they first
    // appear: numbering starts again in each, and names clash only within a
    // folder. Off, the whole list is one batch.
    bool perFolder = false;
    RenameEngine::DateSource dates = RenameEngine::DateSource::modified;
    // With perFolder: the items in the list's order (the window, whose rows are
    // the list), rather than batch after batch (the terminal's listing).
    bool inListOrder = false;
    // The folders' reads to ask and keep, shared with the caller's next plans.
    std::shared_ptr<FileSystem::FolderSnapshots> folders = nullptr;
    // The date each file's date step writes, in the list's order, where the
    // caller read it already (FileList::StepDates); empty: the steps read them.
    RenameEngine::KnownDates stepDates = {};
};

// The plan of `files` with `rules`, performed like any other.
RenamePlan plan(const std::vector<Location>& files, const std::vector<RenameRule>& rules,
                const Planning& planning);
// The same, moving the paths into the items instead of copying them.
RenamePlan plan(std::vector<Location>&& files, const std::vector<RenameRule>& rules,
                const Planning& planning);
// The same, keeping each batch's stems after every step in `stages` (one
// element per batch) for the next call, which applies only the steps from the
// first that differs (RenameEngine::StepStages). `stages` must be emptied
// whenever `files` or `planning` differ from the last call's.
RenamePlan plan(const std::vector<Location>& files, const std::vector<RenameRule>& rules,
                const Planning& planning, std::vector<RenameEngine::StepStages>& stages);

}  // namespace tavix::ListPlanning
