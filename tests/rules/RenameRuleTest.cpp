#include <gtest/gtest.h>

#include <unordered_set>

#include "rules/RenameRule.hpp"

namespace tavix {
namespace {

const std::string precomposed = "caf\u00E9";
const std::string decomposed = "cafe\u0301";

TEST(RenameRuleEquality, ComparesTextsUnderCanonicalEquivalence) {
    const std::pair<RenameRule, RenameRule> equivalent[] = {
        {RenameRule::addText(precomposed, Position::prefix),
         RenameRule::addText(decomposed, Position::prefix)},
        {RenameRule::findReplace(precomposed, "x", false, false, Occurrences::all),
         RenameRule::findReplace(decomposed, "x", false, false, Occurrences::all)},
        {RenameRule::sequence(1, 1, 2, Position::suffix, "\u00C5"),
         RenameRule::sequence(1, 1, 2, Position::suffix, "A\u030A")},
        // The angstrom sign is canonically the letter Å.
        {RenameRule::removeCharacters(CharacterClass::custom, "\u212B"),
         RenameRule::removeCharacters(CharacterClass::custom, "\u00C5")},
    };
    for (const auto& [a, b] : equivalent) {
        EXPECT_EQ(a, b) << a.id();
        EXPECT_EQ(std::hash<RenameRule>{}(a), std::hash<RenameRule>{}(b)) << a.id();
    }
}

TEST(RenameRuleEquality, TellsApartEveryParameterAndKind) {
    const RenameRule distinct[] = {
        RenameRule::findReplace("a", "b", false, false, Occurrences::all),
        RenameRule::findReplace("a", "b", false, false, Occurrences::first),
        RenameRule::findReplace("a", "b", true, false, Occurrences::all),
        RenameRule::findReplace("a", "b", false, true, Occurrences::all),
        RenameRule::findReplace("A", "b", false, false, Occurrences::all),
        RenameRule::crop(CropMode::removeFirst, 1),
        RenameRule::crop(CropMode::removeFirst, 2),
        RenameRule::addText("a", Position::prefix),
        RenameRule::addText("a", Position::suffix),
        RenameRule::insertAt("a", 0),
        RenameRule::imageDimensions(Position::prefix, "-"),
        RenameRule::parentFolder(Position::prefix, "-"),
        RenameRule::sequence(1, 1, 2, Position::suffix, "-"),
        RenameRule::changeCase(CaseStyle::lower),
        RenameRule::collapseSpaces(),
    };
    std::unordered_set<RenameRule> set(std::begin(distinct), std::end(distinct));
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
