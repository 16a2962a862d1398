#include <gtest/gtest.h>

#include "rules/Catalogue.hpp"
#include "rules/Options.hpp"

namespace tavix {
namespace {

template <class... Sets>
void expectEveryTitleReadsBack() {
    (..., [] {
        for (Sets value : allCases<Sets>())
            EXPECT_EQ(fromRawValue<Sets>(rawValue(value)), value) << rawValue(value);
    }());
}

TEST(OptionSets, ReadEveryTitleBackToItsCaseAndMatchTitlesExactly) {
    expectEveryTitleReadsBack<CaseStyle, CharacterClass, CropMode, Occurrences, Position,
                              RuleAction, RuleCategory>();
    EXPECT_EQ(fromRawValue<CaseStyle>("Lowercase"), std::nullopt);
    EXPECT_EQ(fromRawValue<CaseStyle>(" lowercase"), std::nullopt);
    EXPECT_EQ(fromRawValue<CharacterClass>("These characters..."), std::nullopt);
    EXPECT_EQ(fromRawValue<CharacterClass>("These characters\u2026"), CharacterClass::custom);
    EXPECT_EQ(fromRawValue<RuleCategory>("Image Dimensions"), RuleCategory::imageSize);
}

}  // namespace
}  // namespace tavix
