#include "ApplyCase.hpp"

namespace tavix {

// The table rows of every test file instantiate this one test.
TEST_P(ApplySteps, RewriteTheName) {
    const ApplyCase& c = GetParam();
    EXPECT_EQ(applied(c.rule, c.name), c.expected);
}

}  // namespace tavix
