#include <gtest/gtest.h>

#include <vector>

#include "rules/Catalogue.hpp"
#include "rules/Options.hpp"

namespace tavix {
namespace {

template <class T>
std::vector<std::string_view> titlesOf() {
    std::vector<std::string_view> titles;
    for (T value : allCases<T>()) titles.push_back(rawValue(value));
    return titles;
}

template <class T>
void expectEveryTitleReadsBack() {
    for (T value : allCases<T>()) {
        EXPECT_EQ(fromRawValue<T>(rawValue(value)), value) << rawValue(value);
    }
}

TEST(OptionSets, ListTheirTitlesInDeclaredOrder) {
    using V = std::vector<std::string_view>;
    EXPECT_EQ(titlesOf<CaseStyle>(), (V{"lowercase", "UPPERCASE", "Title Case", "Sentence case"}));
    EXPECT_EQ(titlesOf<CharacterClass>(),
              (V{"Digits (0-9)", "Punctuation", "Spaces", "Symbols", "These characters\u2026"}));
    EXPECT_EQ(titlesOf<CropMode>(), (V{"Remove first", "Remove last", "Keep first", "Keep last"}));
    EXPECT_EQ(titlesOf<Occurrences>(), (V{"All occurrences", "First only", "Last only"}));
    EXPECT_EQ(titlesOf<Position>(), (V{"Before name", "After name"}));
}

TEST(OptionSets, ReadEveryTitleBackToItsCase) {
    expectEveryTitleReadsBack<CaseStyle>();
    expectEveryTitleReadsBack<CharacterClass>();
    expectEveryTitleReadsBack<CropMode>();
    expectEveryTitleReadsBack<Occurrences>();
    expectEveryTitleReadsBack<Position>();
    expectEveryTitleReadsBack<RuleAction>();
    expectEveryTitleReadsBack<RuleCategory>();
}

TEST(OptionSets, MatchTitlesExactly) {
    EXPECT_EQ(fromRawValue<CaseStyle>("Lowercase"), std::nullopt);
    EXPECT_EQ(fromRawValue<CaseStyle>("title case"), std::nullopt);
    EXPECT_EQ(fromRawValue<CaseStyle>(" lowercase"), std::nullopt);
    EXPECT_EQ(fromRawValue<CharacterClass>("These characters..."), std::nullopt);
    EXPECT_EQ(fromRawValue<CharacterClass>("These characters\u2026"), CharacterClass::custom);
    EXPECT_EQ(fromRawValue<Position>(""), std::nullopt);
    EXPECT_EQ(fromRawValue<RuleAction>("Find & Replace text"), std::nullopt);
    EXPECT_EQ(fromRawValue<RuleCategory>("Image Dimensions"), RuleCategory::imageSize);
}

}  // namespace
}  // namespace tavix
