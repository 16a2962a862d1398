#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "engine/RenamePlan.hpp"
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
// as a journal records it before the batch, for undo to recognise the file;
// perform doesn't use it.
struct PlannedMove {
    Location from;
    Location to;
    std::optional<Location> temporary;
    std::optional<FileSystem::FileId> identity;
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

// The moves that perform() makes for `plan`: every changed item without a
// problem, in plan order, each case-only change with a fresh temporary name.
std::vector<PlannedMove> plannedMoves(const RenamePlan& plan);

// Makes the moves one by one in order, never replacing an existing file. If the
// second step of a case-only change fails, the file is moved back to its old
// name, and only if that fails too does it stay under the temporary name, which
// the failure's message then names. A failure never stops the batch and nothing
// already moved is rolled back. `done`, when given, is told after each move
// whether it was made: the move's index and its failure, null on success.
Applied perform(const std::vector<PlannedMove>& moves,
                const std::function<void(std::size_t, const Applied::Failure*)>& done = {});
// perform(plannedMoves(plan)).
Applied perform(const RenamePlan& plan);

// The one line a failed move reads as: ‘Couldn't rename “a.txt” to “b.txt”:
// Permission denied’.
std::string moveFailure(const Location& from, const Location& to, const std::error_code& error);

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
// at `temporary`) must have the recorded identity. Anything else is left where it
// is. A move without an identity is moved back unchecked. One outcome per move,
// in the order given.
std::vector<UndoOutcome> undoChecked(const std::vector<PlannedMove>& moves);

}  // namespace RenameEngine
}  // namespace tavix
