#pragma once

#include <cstdint>
#include <vector>

#include "engine/MoveOrder.hpp"
#include "engine/RenamePlan.hpp"

namespace tavix::RenameEngine {

// Lets a plan's files take names that other files of the same plan give up.
// An item marked `exists` whose destination is, byte for byte, the path of
// another item is freed when that item moves (it has no problem and changes,
// or it is itself freed this way); a cycle of such items is freed whole. A
// destination held by a file outside the plan, or by an item that stays, keeps
// `exists`; clashes inside the plan keep `duplicate`. Linear in the items.
void freeChains(RenamePlan& plan);

// Where each item of a plan stands in its move order, by item.
struct ChainPlaces {
    // 1-based place in the move order; 0 for an item that doesn't move.
    std::vector<std::uint32_t> order;
    // Passes through a temporary name: it breaks a cycle, or changes letter case only.
    std::vector<bool> viaTemporary;
    // Moves as part of a cycle (a swap, a→b→c→a).
    std::vector<bool> inCycle;
};

// `order` must be made from moveRequests(plan).
ChainPlaces chainPlaces(const RenamePlan& plan, const MoveOrder& order);

}  // namespace tavix::RenameEngine
