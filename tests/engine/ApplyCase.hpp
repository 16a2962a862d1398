#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "engine/Perform.hpp"
#include "engine/RenameEngine.hpp"
#include "engine/RenamePlan.hpp"
#include "rules/RenameRule.hpp"

namespace tavix {

// One row of a table: a step applied to a name, and the name it should give.
struct ApplyCase {
    std::string what;
    RenameRule rule;
    std::string name;
    std::string expected;
};

inline std::ostream& operator<<(std::ostream& out, const ApplyCase& c) {
    return out << c.what;
}

// The name one step gives, prepared as a plan prepares it; `index` is the
// file's place in the list and `path` its path (only generated kinds use them).
inline std::string applied(const RenameRule& rule, std::string name, std::int64_t index = 0,
                           const Location& path = "/tmp/n") {
    RenameEngine::PreparedStep(rule).applyTo(name, index, path);
    return name;
}

class ApplySteps : public ::testing::TestWithParam<ApplyCase> {};

// Each item of a plan as its new name, then " !" and its problem if it has
// one, after its path if asked: a whole plan in one comparison.
inline std::vector<std::string> printed(const RenamePlan& plan, bool withPaths = false) {
    static constexpr const char* problems[] = {"duplicate", "exists", "empty", "illegal", "tooSlow"};
    std::vector<std::string> out;
    for (const RenamePlan::Item& item : plan.items) {
        std::string& line = out.emplace_back(withPaths ? std::string(item.path) + " > " : "");
        line.append(item.newName);
        if (item.problem) line.append(" !").append(problems[static_cast<int>(*item.problem)]);
    }
    return out;
}

// Makes a plan's moves as the programs make them, through a batch: each move
// as "old > new" when it is made, or "! " and the failure's message, in the
// order the batch tells them.
inline std::vector<std::string> performed(const RenamePlan& plan) {
    const RenameEngine::Batch batch(plan);
    std::vector<std::string> out;
    batch.perform([&](std::size_t move, const RenameEngine::Applied::Failure* failure) {
        std::string& line = out.emplace_back(failure ? "! " + failure->message : "");
        if (!failure) line.append(batch.fromName(move)).append(" > ").append(batch.toName(move));
    });
    return out;
}

}  // namespace tavix
