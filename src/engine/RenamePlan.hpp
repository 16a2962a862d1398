#pragma once

#include <cstddef>
#include <cstdint>
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
// The text a plan's items view: their paths and new names, each followed by a
// NUL so that it can go to a system call as it is. What is written is never
// moved or changed, and a copy of a plan, or a plan its items are moved into,
// shares the blocks (and the lists adopted) instead of copying them, so every
// item's views stay valid as long as any plan holding them does.
class PlanText {
public:
    PlanText() = default;
    PlanText(const PlanText& other) : owners_(other.owners_) {}
    PlanText& operator=(const PlanText& other);
    PlanText(PlanText&&) noexcept = default;
    PlanText& operator=(PlanText&&) noexcept = default;

    // A copy of `text`, followed by a NUL, in blocks that grow with the plan.
    std::string_view keep(std::string_view text);
    // Keeps `other`'s text alive as long as this.
    void share(const PlanText& other);

private:
    std::vector<std::shared_ptr<const char[]>> owners_;
    char* free_ = nullptr;  // the unwritten rest of the last block of this object
    std::size_t left_ = 0;
    std::size_t nextBlock_ = 256;
};

// The preview of one batch: one item per file, in list order.
struct RenamePlan {
    // What blocks an item; its text is the message shown. tooSlow: a step
    // couldn't finish on this name (its regular expression ran out of time or
    // stack, here or on enough earlier names to be given up), so the new name
    // isn't known.
    enum class Problem : std::uint8_t { duplicate, exists, empty, illegal, tooSlow };

    // Views into the plan's text (see PlanText), each followed by a NUL.
    struct Item {
        Uuid id;  // fresh for every item of every plan
        std::string_view path;
        std::string_view newName;  // extension included
        std::optional<Problem> problem;

        // The name the file has now (extension included): path's last component.
        std::string_view originalName() const;
        // The new name differs from the original (canonical equivalence; case counts).
        bool isChanged() const;
    };

    std::vector<Item> items;
    // The folders read for the existence tests, kept for the batch's later
    // questions about them (the journal's identities); each answers only while
    // its folder is unchanged.
    std::shared_ptr<FileSystem::FolderSnapshots> folders = nullptr;
    PlanText text;

    // Adds an item with a fresh id, keeping copies of its texts.
    Item& add(std::string_view path, std::string_view newName,
              std::optional<Problem> problem = std::nullopt);
    // Moves the items of `part` to the end of this plan.
    void append(RenamePlan&& part);

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
// Date steps take the dates in `known` where given (one per file).
RenamePlan plan(const std::vector<Location>& files, const std::vector<RenameRule>& rules,
                bool keepExtension, DateSource dates = DateSource::modified,
                std::shared_ptr<FileSystem::FolderSnapshots> folders = nullptr,
                KnownDates known = {});
// The same, moving the paths into the items instead of copying them.
RenamePlan plan(std::vector<Location>&& files, const std::vector<RenameRule>& rules,
                bool keepExtension, DateSource dates = DateSource::modified,
                std::shared_ptr<FileSystem::FolderSnapshots> folders = nullptr,
                KnownDates known = {});

class StepStages;
// The same, keeping the stems after each step in `stages` from one call to the
// next: a call whose steps first differ from the last call's at step k applies
// steps k onwards only. `stages` must be cleared (or new) whenever `files`,
// `keepExtension` or the order of the files differs from the last call's.
RenamePlan plan(const std::vector<Location>& files, const std::vector<RenameRule>& rules,
                bool keepExtension, DateSource dates, StepStages& stages,
                std::shared_ptr<FileSystem::FolderSnapshots> folders = nullptr,
                KnownDates known = {});

// The plan of files whose new names are given, one per file in the same order
// (from a list or an editor): no step is run and the names are taken whole, then
// tested for problems as above.
RenamePlan planNames(std::vector<Location>&& files, const std::vector<std::string>& newNames,
                     std::shared_ptr<FileSystem::FolderSnapshots> folders = nullptr);

}  // namespace RenameEngine
}  // namespace tavix
