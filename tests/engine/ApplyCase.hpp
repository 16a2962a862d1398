#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "engine/RenameEngine.hpp"
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

inline std::string applied(const RenameRule& rule, const std::string& name) {
    return RenameEngine::apply(rule, name, 0, "/tmp/" + name);
}

class ApplySteps : public ::testing::TestWithParam<ApplyCase> {};

}  // namespace tavix
