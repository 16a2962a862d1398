#pragma once

#include <nlohmann/json.hpp>
#include <ostream>
#include <vector>

#include "rules/RenameRule.hpp"

namespace tavix::cli {

// One line per step, "1. <summary>"; or, as JSON, each step's number, summary,
// label, action, category and the keyed form it stands for ("step").
void describeSteps(const std::vector<RenameRule>& rules, bool json, std::ostream& out);

// The keyed forms of the steps, as --rules reads them.
nlohmann::ordered_json keyedSteps(const std::vector<RenameRule>& rules);

}  // namespace tavix::cli
