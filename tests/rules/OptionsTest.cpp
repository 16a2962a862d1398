#include <gtest/gtest.h>

#include <vector>

#include "rules/Catalogue.hpp"
#include "rules/Options.hpp"

namespace tavix {
namespace {

template <class T>
void expectEveryTitleReadsBack() {
    for (T value : allCases<T>()) {
        EXPECT_EQ(fromRawValue<T>(rawValue(value)), value) << rawValue(value);
    }
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
    EXPECT_EQ(fromRawValue<CaseStyle>(" lowercase"), std::nullopt);
    EXPECT_EQ(fromRawValue<CharacterClass>("These characters..."), std::nullopt);
    EXPECT_EQ(fromRawValue<CharacterClass>("These characters\u2026"), CharacterClass::custom);
    EXPECT_EQ(fromRawValue<RuleCategory>("Image Dimensions"), RuleCategory::imageSize);
}

}  // namespace
}  // namespace tavix
