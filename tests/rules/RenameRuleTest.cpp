#include <gtest/gtest.h>

#include <unordered_set>

#include "rules/RenameRule.hpp"

namespace tavix {
namespace {

TEST(RenameRuleEquality, TellsApartEveryParameterAndKind) {
    const RenameRule distinct[] = {
        RenameRule{FindReplace{"a", "b", false, false, Occurrences::all}},
        RenameRule{FindReplace{"a", "b", false, false, Occurrences::first}},
        RenameRule{FindReplace{"a", "b", true, false, Occurrences::all}},
        RenameRule{FindReplace{"a", "b", false, true, Occurrences::all}},
        RenameRule{FindReplace{"A", "b", false, false, Occurrences::all}},
        RenameRule{Crop{CropMode::removeFirst, 1}},
        RenameRule{Crop{CropMode::removeFirst, 2}},
        RenameRule{AddText{"a", Position::prefix}},
        RenameRule{AddText{"a", Position::suffix}},
        RenameRule{InsertAt{"a", 0}},
        RenameRule{ImageDimensions{Position::prefix, "-"}},
        RenameRule{ParentFolder{Position::prefix, "-"}},
        RenameRule{Sequence{1, 1, 2, Position::suffix, "-"}},
        RenameRule{ChangeCase{CaseStyle::lower}},
        RenameRule{CollapseSpaces{}},
    };
    std::unordered_set<RenameRule> set(std::begin(distinct), std::end(distinct));
    // Copies are equal and hash alike, so they add nothing.
    for (const RenameRule& rule : distinct) set.insert(RenameRule(rule));
    EXPECT_EQ(set.size(), std::size(distinct));
    std::unordered_set<std::string> ids;
    for (const auto& a : distinct) {
        ids.insert(a.id());
        for (const auto& b : distinct)
            EXPECT_TRUE(&a == &b || a != b) << a.id() << " vs " << b.id();
    }
    EXPECT_EQ(ids.size(), std::size(distinct));
}

}  // namespace
}  // namespace tavix
