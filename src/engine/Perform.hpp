#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "engine/MoveOrder.hpp"
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

// What a batch tells of a move it couldn't make.
struct Applied {
    struct Failure {
        Location path;              // the file as planned
        std::string message;        // one line naming the file and the reason
        friend bool operator==(const Failure&, const Failure&) = default;
    };
};

// The moves of a plan, read in place from its items: every changed item
// without a problem, in plan order. Nothing of an item is copied; only a change
// of letter case gets a name of its own here, its fresh temporary name. The plan
// must outlive the batch.
//
// Made with a move order, the batch lists its moves in the order they finish
// (the order's `finished`), takes its temporary names from the order
// (".tavix-…", for changes of letter case and for the files that break cycles)
// and makes the order's steps: a file that breaks a cycle leaves for its
// temporary name before the other files of its cycle move, and reaches its new
// name after them. A cycle of two files (a swap) is made as one exchange of
// their names instead, where the file system can; elsewhere, or when the
// exchange fails, it takes the temporary name's three steps.
class Batch {
public:
    explicit Batch(const RenamePlan& plan);
    // `order` is orderMoves(moveRequests(plan)); the batch keeps what it needs of it.
    Batch(const RenamePlan& plan, const MoveOrder& order);

    std::size_t size() const { return items_.size(); }
    const RenamePlan::Item& item(std::size_t move) const { return plan_->items[items_[move]]; }

    // The file's folder as its path gives it ("/" for the root), and the move's
    // names in it.
    std::string_view folder(std::size_t move) const;
    std::string_view fromName(std::size_t move) const;
    std::string_view toName(std::size_t move) const { return item(move).newName; }
    // Whether the move passes through a temporary name beside the file: it
    // changes letter case only ("<UUID>-<new name>", or the order's name), or
    // it breaks a cycle of a move order.
    bool hasTemporary(std::size_t move) const;

    // The move's temporary name, written into `out`; false when it has none.
    bool temporaryName(std::size_t move, std::string& out) const;

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
    // batch and nothing already moved is rolled back. With a move order, its
    // steps are made: a move that fails leaves its file where it is (or, when
    // its last step fails and its old name is taken, at its temporary name), and
    // a move that needs the name it would have given up then fails too. A swap
    // made in one exchange finishes both its moves at once. `done` is told
    // after each move: its index and its failure, null on success.
    void perform(const std::function<void(std::size_t, const Applied::Failure*)>& done) const;

    // Move `move` as whole paths.
    PlannedMove planned(std::size_t move) const;

private:
    // Calls `visit(move, folder)` for every move in order, with its folder open.
    template <class Visit>
    void inFolders(Visit&& visit) const;
    void performSteps(const std::function<void(std::size_t, const Applied::Failure*)>& done) const;
    const Uuid* temporaryOf(std::size_t move) const;
    const std::string* namedOf(std::size_t move) const;

    const RenamePlan* plan_;
    std::vector<std::uint32_t> items_;  // the plan's items that move

    // The temporary names of changes of letter case, by move, in move order:
    // only their UUIDs are kept, the names are made when they are needed.
    std::vector<std::pair<std::uint32_t, Uuid>> temporaries_;

    // A rename to make: one of the order's steps, or a swap. `exchange` swaps
    // the names of `move` and the move after it, the two moves of a cycle of
    // two, which the order makes as: the second to its temporary name, the
    // first whole, the second from its temporary name.
    enum class Leg : std::uint8_t { whole, toTemporary, fromTemporary, exchange };
    struct Step {
        std::uint32_t move;
        Leg leg;
    };

    // With a move order: the renames to make, by move of this batch, and the
    // order's temporary names, by move, in move order.
    std::vector<Step> steps_;
    std::vector<std::pair<std::uint32_t, std::string>> named_;
};

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

// Moves one file back only if it is the one recorded: the entry at `to` (or,
// after an interruption between the two steps of a case-only change, at
// `temporary`) must have the recorded identity (and birth time, when one is
// recorded). Anything else is left where it is. A move without an identity is
// moved back unchecked.
UndoOutcome undoChecked(const PlannedMove& move);
// The same with the move's folder held open: each step names its entries
// relative to it, so a batch's folder is walked once rather than at every step.
UndoOutcome undoChecked(const PlannedMove& move, const FileSystem::Folder& folder);

// Puts a whole batch back, last move first, each move that `take` names as
// undoChecked(move, folder) does, and wherever its file is found: at its new
// name, its temporary name or its old name. A file whose old name is still held
// when its turn comes (a cycle, undone in reverse) waits at its recorded
// temporary name until every other file is back, then takes its old name; if
// that still fails it returns to its new name, so that no temporary name is left
// behind. One outcome per move, in the order given (notMoved for moves not taken).
// `progress`, when given, is told before each move is looked at how many have
// been, out of all.
std::vector<UndoOutcome> undoBatch(
    const std::vector<PlannedMove>& moves, const std::vector<bool>& take,
    const std::function<void(std::size_t done, std::size_t total)>& progress = {});

}  // namespace RenameEngine
}  // namespace tavix
