#include "text/CharacterClasses.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace tavix::text {
namespace {

// A custom set handed over as a view of a longer text is that view's scalars
// only: what lies beyond its end ("x" or "-" here) is no member.
TEST(CharacterClasses, ACustomSetEndsWhereItsViewEnds) {
    const std::string_view cases[][3] = {
        {std::string_view("_ x").substr(0, 2), "a_b x", "abx"},
        {std::string_view("\u00e9x").substr(0, 2), "caf\u00e9 x", "caf x"},
        {std::string_view("a-").substr(0, 1), "a-b", "-b"},
    };
    for (const auto& [set, name, left] : cases) EXPECT_EQ(removeScalarsOf(name, set), left) << name;
}

}  // namespace
}  // namespace tavix::text
