#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/RenamePlan.hpp"

namespace tavix {

// One move of a batch as the order sees it: a file's name and the name it
// gets, both in `folder`. The views must outlive the order made from them.
struct MoveRequest {
    std::string_view folder;
    std::string_view from;
    std::string_view to;
    // A change of letter case only: it passes through a temporary name of its
    // own, so that it also works where the file system ignores case.
    bool caseOnly = false;
};

// The order in which a batch's moves can be made so that no move ever lands on
// a name still held by another file of the batch.
struct MoveOrder {
    // One rename: a whole move, or one of the two legs of a move that passes
    // through its temporary name.
    enum class Leg : std::uint8_t { whole, toTemporary, fromTemporary };
    struct Step {
        std::uint32_t move;
        Leg leg = Leg::whole;
        friend bool operator==(const Step&, const Step&) = default;
    };

    // Every rename to make, in order.
    std::vector<Step> steps;
    // The moves in the order they reach their new names: the batch's move order.
    std::vector<std::uint32_t> finished;
    // By move: its temporary name in its folder, empty for a move that has none.
    std::vector<std::string> temporaries;
    // By move: whether it is part of a cycle (a swap, a→b→c→a).
    std::vector<bool> inCycle;
    // Moves that break a cycle; each also has a temporary name.
    std::size_t cyclesBroken = 0;

    // Whether the moves can't simply be made one by one in the order given:
    // some file must first leave a name that an earlier move takes, or a cycle
    // must be broken.
    bool needsOrder = false;
};

namespace RenameEngine {

// 64 random bits a call; the temporary names are made from them.
using RandomBits = std::function<std::uint64_t()>;
// Bits from the system's entropy source.
RandomBits systemRandomBits();

// Orders the moves: a move whose destination is the name another move gives up
// comes after that move, and each cycle is broken by first moving one of its
// files (the one holding the name that the cycle's first move in list order
// wants) to a temporary name, ".tavix-" and 12 random lower-case letters beside
// it, then moving it to its new name last. A change of letter case makes its two
// legs one after the other at its place in the order. Moves that don't depend on
// each other keep the order given. Sources must be distinct, and so must
// destinations (the plan's clash test sees to it); a destination is matched to a
// source by its exact bytes. Temporary names differ from each other and from
// every name the batch moves from or to. Linear in the number of moves.
MoveOrder orderMoves(const std::vector<MoveRequest>& moves, const RandomBits& random);

// The moves of `plan` (its changed items without a problem, in plan order), as
// views into its items; `plan` must outlive them.
std::vector<MoveRequest> moveRequests(const RenamePlan& plan);
// The items of `plan` that the requests above are made from, in the same order.
std::vector<std::uint32_t> movingItems(const RenamePlan& plan);

}  // namespace RenameEngine
}  // namespace tavix
