#pragma once

#include <nlohmann/json.hpp>
#include <ostream>

#include "engine/Chains.hpp"
#include "engine/RenamePlan.hpp"

namespace tavix::cli {

// One line per item, "old  →  new" (or the problem's message for the new
// name), then the count line. `highlight` marks each changed stretch with
// bold on yellow for a terminal. With `chains`, a file moved as part of a cycle
// has "  (swap)" after its new name.
void printPlan(const RenamePlan& plan, std::size_t fileCount, bool highlight, std::ostream& out,
               const RenameEngine::ChainPlaces* chains = nullptr);

// The plan document: items with their paths, names, change, problem and
// changed stretch (in user-perceived characters), changedCount, hasProblems.
// Written item by item, so a large plan never exists twice in memory. With
// `chains`, each item also has "order" (its 1-based place in the move order,
// null when it doesn't move) and "viaTemporary".
void writePlanJson(const RenamePlan& plan, std::ostream& out,
                   const RenameEngine::ChainPlaces* chains = nullptr);

// "duplicate", "exists", "empty", "illegal", "tooSlow".
std::string_view problemName(RenamePlan::Problem problem);

// JSON text; invalid UTF-8 in names shows as replacement characters.
std::string dumpJson(const nlohmann::ordered_json& json);

}  // namespace tavix::cli
