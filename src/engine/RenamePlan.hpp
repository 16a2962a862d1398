#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/RenameEngine.hpp"
#include "engine/Uuid.hpp"
#include "rules/RenameRule.hpp"
#include "text/Location.hpp"

namespace tavix {

namespace FileSystem {
class FolderSnapshots;
}

// The preview of one batch: one item per file, in list order.
struct RenamePlan {
    // What blocks an item; its text is the message shown. tooSlow: a step
    // couldn't finish on this name (its regular expression ran out of time or
    // stack, here or on enough earlier names to be given up), so the new name
    // isn't known.
    enum class Problem { duplicate, exists, empty, illegal, tooSlow };

    struct Item {
        Uuid id;  // fresh for every item of every plan
        Location url;
        std::string originalName;  // extension included
        std::string newName;       // extension included
        std::optional<Problem> problem;

        // An item with a fresh id.
        static Item make(Location url, std::string originalName, std::string newName,
                         std::optional<Problem> problem = std::nullopt);

        // The new name differs from the original (canonical equivalence; case counts).
        bool isChanged() const;
    };

    std::vector<Item> items;
    // The folders read for the existence tests, kept for the batch's later
    // questions about them (the journal's identities); each answers only while
    // its folder is unchanged.
    std::shared_ptr<FileSystem::FolderSnapshots> folders = nullptr;

    bool hasProblems() const;
    // Items that are changed and have no problem.
    std::size_t changedCount() const;
};

// "Two files would share this name", "A file with this name already exists" …
std::string_view rawValue(RenamePlan::Problem problem);

namespace RenameEngine {

// Splits off the extension when `keepExtension` is set, runs the stem through
// the steps in order, rejoins the extension and tests every item for problems:
// tooSlow, empty, illegal, then duplicate (by lowercased name, across folders)
// or, for a changed item, exists (another file already at the destination).
// Every member of a clashing group is marked duplicate, except a tooSlow item.
// Never fails; reads the disk only for existence tests and the generated steps'
// file facts. Each step is prepared once for the whole plan (PreparedStep), so
// a regular expression that keeps running out of time is given up for the rest
// of the plan: every later name it would have run on is tooSlow too. A tooSlow
// item keeps its original name as its new name and takes no part in clashes:
// its real new name is unknown, and the problem alone blocks the batch.
// The folders are read through `folders` when given (kept reads are reused),
// else through a set of the plan's own; the plan keeps it in `folders`.
RenamePlan plan(const std::vector<Location>& files, const std::vector<RenameRule>& rules,
                bool keepExtension, DateSource dates = DateSource::modified,
                std::shared_ptr<FileSystem::FolderSnapshots> folders = nullptr);
// The same, moving the paths into the items instead of copying them.
RenamePlan plan(std::vector<Location>&& files, const std::vector<RenameRule>& rules,
                bool keepExtension, DateSource dates = DateSource::modified,
                std::shared_ptr<FileSystem::FolderSnapshots> folders = nullptr);

class StepStages;
// The same, keeping the stems after each step in `stages` from one call to the
// next: a call whose steps first differ from the last call's at step k applies
// steps k onwards only. `stages` must be cleared (or new) whenever `files`,
// `keepExtension` or the order of the files differs from the last call's.
RenamePlan plan(const std::vector<Location>& files, const std::vector<RenameRule>& rules,
                bool keepExtension, DateSource dates, StepStages& stages,
                std::shared_ptr<FileSystem::FolderSnapshots> folders = nullptr);

// The plan of files whose new names are given, one per file in the same order
// (from a list or an editor): no step is run and the names are taken whole, then
// tested for problems as above.
RenamePlan planNames(std::vector<Location>&& files, const std::vector<std::string>& newNames);

}  // namespace RenameEngine
}  // namespace tavix
