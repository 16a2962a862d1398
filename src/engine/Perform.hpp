#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "engine/RenamePlan.hpp"
#include "engine/Uuid.hpp"
#include "system/FileSystem.hpp"

namespace tavix {

// One file's move: where it was and where it is now.
struct Move {
    Location from;
    Location to;
    friend bool operator==(const Move&, const Move&) = default;
};

// A move a batch is about to make. A change of letter case only passes through
// `temporary` ("<UUID>-<new name>" beside the file), so that it also works where
// the file system ignores case; other moves have none. `identity` is the file's
// as a journal records it before the batch, for undo to recognise the file,
// with its birth time where the file system records one; perform uses neither.
struct PlannedMove {
    Location from;
    Location to;
    std::optional<Location> temporary;
    std::optional<FileSystem::FileId> identity;
    std::optional<FileSystem::Timestamp> birth;
    friend bool operator==(const PlannedMove&, const PlannedMove&) = default;
};

namespace RenameEngine {

// What a batch did: the moves made and the failures met, both in plan order.
struct Applied {
    struct Failure {
        Location url;               // the file as planned
        std::string message;        // one line naming the file and the reason
        friend bool operator==(const Failure&, const Failure&) = default;
    };
    std::vector<Move> moves;
    std::vector<Failure> failures;
};

// The moves of a plan, read in place from its items: every changed item
// without a problem, in plan order. Nothing of an item is copied; only a change
// of letter case gets a name of its own here, its fresh temporary name. The plan
// must outlive the batch.
class Batch {
public:
    explicit Batch(const RenamePlan& plan);

    std::size_t size() const { return items_.size(); }
    const RenamePlan::Item& item(std::size_t move) const { return plan_->items[items_[move]]; }

    // The file's folder as its path gives it ("/" for the root), and the move's
    // names in it.
    std::string_view folder(std::size_t move) const;
    std::string_view fromName(std::size_t move) const;
    const std::string& toName(std::size_t move) const { return item(move).newName; }
    // Whether the move changes letter case only, and so passes through a
    // temporary name ("<UUID>-<new name>") beside the file.
    bool hasTemporary(std::size_t move) const;

    // The move's whole paths as text: its file's, and its destination's and its
    // temporary name's (written into `out`, whose room is reused).
    std::string_view fromPath(std::size_t move) const;
    void destinationPath(std::size_t move, std::string& out) const;
    void temporaryPath(std::size_t move, std::string& out) const;

    // The identity of each move's file as it is now (the entry itself), in order.
    std::vector<std::optional<FileSystem::FileId>> identities() const;

    // Makes the moves one by one in order, never replacing an existing file,
    // each relative to its folder, which is opened once for a run of moves in it.
    // If the second step of a case-only change fails, the file is moved back to
    // its old name, and only if that fails too does it stay under the temporary
    // name, which the failure's message then names. A failure never stops the
    // batch and nothing already moved is rolled back. `done` is told after each
    // move: its index and its failure, null on success.
    void perform(const std::function<void(std::size_t, const Applied::Failure*)>& done) const;

    // Move `move` as whole paths.
    PlannedMove planned(std::size_t move) const;

private:
    // Calls `visit(move, folder)` for every move in order, with its folder open.
    template <class Visit>
    void inFolders(Visit&& visit) const;
    const Uuid* temporaryOf(std::size_t move) const;

    const RenamePlan* plan_;
    std::vector<std::uint32_t> items_;  // the plan's items that move

    // The temporary names of changes of letter case, by move, in move order:
    // only their UUIDs are kept, the names are made when they are needed.
    std::vector<std::pair<std::uint32_t, Uuid>> temporaries_;
};

// The moves of Batch(plan), made as Batch::perform makes them.
Applied perform(const RenamePlan& plan);

// Moves a batch back, last move first; returns how many files were put back.
// Failures are dropped. A case-only move goes back through a temporary name.
std::int64_t undo(const std::vector<Move>& moves);

// Like undo, also telling which moves were put back (in the order given).
std::vector<bool> undoEach(const std::vector<Move>& moves);

// What undo found for one recorded move.
struct UndoOutcome {
    enum class Kind {
        putBack,      // moved back to `from`
        notMoved,     // the file is still at `from`: the batch never moved it
        anotherFile,  // something that isn't the file stands at the new name
        missing,      // nothing at the new name or the temporary name
        failed,       // the move back failed with `error`
    };
    Kind kind = Kind::putBack;
    std::error_code error;
};

// Moves back, last first, only files that are the ones recorded: the entry at
// `to` (or, after an interruption between the two steps of a case-only change,
// at `temporary`) must have the recorded identity (and birth time, when one is
// recorded). Anything else is left where it
// is. A move without an identity is moved back unchecked. One outcome per move,
// in the order given.
std::vector<UndoOutcome> undoChecked(const std::vector<PlannedMove>& moves);
// The same for one move.
UndoOutcome undoChecked(const PlannedMove& move);
// The same with the move's folder held open: each step names its entries
// relative to it, so a batch's folder is walked once rather than at every step.
UndoOutcome undoChecked(const PlannedMove& move, const FileSystem::Folder& folder);

}  // namespace RenameEngine
}  // namespace tavix
