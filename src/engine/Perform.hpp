#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/RenamePlan.hpp"

namespace tavix {

// One file's move: where it was and where it is now.
struct Move {
    std::filesystem::path from;
    std::filesystem::path to;
    friend bool operator==(const Move&, const Move&) = default;
};

namespace RenameEngine {

// What a batch did: the moves made and the failures met, both in plan order.
struct Applied {
    struct Failure {
        std::filesystem::path url;  // the file as planned
        std::string message;        // one line naming the file and the reason
        friend bool operator==(const Failure&, const Failure&) = default;
    };
    std::vector<Move> moves;
    std::vector<Failure> failures;
};

// Renames every changed item without a problem, one by one in plan order,
// never replacing an existing file. A change of letter case only passes
// through a temporary name ("<UUID>-<new name>") so it also works where the
// file system ignores case; if its second step fails the file is moved back to
// its old name, and only if that fails too does it stay under the temporary
// name, which the failure's message then names. A failure never stops the batch
// and nothing already moved is rolled back.
Applied perform(const RenamePlan& plan);

// Moves a batch back, last move first; returns how many files were put back.
// Failures are dropped. A case-only move goes back through a temporary name.
std::int64_t undo(const std::vector<Move>& moves);

// Like undo, also telling which moves were put back (in the order given).
std::vector<bool> undoEach(const std::vector<Move>& moves);

}  // namespace RenameEngine
}  // namespace tavix
