#include <gtest/gtest.h>

#include <map>

#include "rules/Catalogue.hpp"

namespace tavix {
namespace {

struct ActionCase {
    RuleAction action;
    std::string_view title;
    std::string_view label;
    RuleCategory category;
    std::string_view summary;
};

// Every action: its title, the label of its blank rule, the category that
// lists it, and the summary of its blank rule.
const ActionCase actionCases[] = {
    {RuleAction::findReplace, "Find & replace text", "Find & Replace", RuleCategory::text,
     "Find & replace \u2014 nothing to find yet."},
    {RuleAction::addText, "Add text", "Add Text", RuleCategory::text,
     "Add text \u2014 nothing entered yet."},
    {RuleAction::removeText, "Remove text", "Remove Text", RuleCategory::text,
     "Remove text \u2014 nothing entered yet."},
    {RuleAction::removeCharacters, "Remove characters", "Remove Characters",
     RuleCategory::characters, "Remove all digits (0-9)."},
    {RuleAction::collapseSpaces, "Collapse repeated spaces", "Collapse Spaces",
     RuleCategory::characters, "Collapse runs of spaces into one and trim the ends."},
    {RuleAction::crop, "Remove or keep characters", "Crop", RuleCategory::positions,
     "Remove first 1 character."},
    {RuleAction::insertAt, "Insert text at position", "Insert", RuleCategory::positions,
     "Insert text \u2014 nothing entered yet."},
    {RuleAction::changeCase, "Change case", "Change Case", RuleCategory::conversions,
     "Convert the name to lowercase."},
    {RuleAction::truncate, "Truncate name", "Truncate", RuleCategory::truncation,
     "Shorten to 20 characters, keeping the start."},
    {RuleAction::sequence, "Add sequence number", "Numbering", RuleCategory::numbering,
     "Number from 1 with at least 2 digits, after the name."},
    {RuleAction::romanNumeral, "Add roman numeral", "Roman Numerals", RuleCategory::roman,
     "Number in roman numerals from I, after the name."},
    {RuleAction::letterSequence, "Add letter sequence", "Letters", RuleCategory::alphabetical,
     "Letter the files a, b, c, after the name."},
    {RuleAction::dateStamp, "Add date", "Date", RuleCategory::dateTime,
     "Add the file's modified date as \u201Cyyyy-MM-dd\u201D before the name, separated by "
     "\u201C-\u201D."},
    {RuleAction::imageDimensions, "Add image dimensions", "Image Dimensions",
     RuleCategory::imageSize, "Add the image's pixel size after the name."},
    {RuleAction::parentFolder, "Add parent folder name", "Parent Folder", RuleCategory::parentName,
     "Add the enclosing folder's name before the name."},
};

class EachAction : public ::testing::TestWithParam<ActionCase> {};

TEST_P(EachAction, HasItsTitleBlankRuleAndCategory) {
    const auto& c = GetParam();
    EXPECT_EQ(rawValue(c.action), c.title);
    const RenameRule rule = blank(c.action);
    EXPECT_EQ(rule.action(), c.action);
    EXPECT_EQ(rule.label(), c.label);
    EXPECT_EQ(rule.category(), c.category);
    EXPECT_EQ(rule.summary(), c.summary);
}

INSTANTIATE_TEST_SUITE_P(Catalogue, EachAction, ::testing::ValuesIn(actionCases));

TEST(Catalogue, ListsEveryActionInExactlyOneCategoryInPickingOrder) {
    std::map<RuleAction, int> listed;
    std::vector<RuleAction> inCategoryOrder;
    for (RuleCategory category : allCases<RuleCategory>()) {
        for (RuleAction action : actions(category)) {
            ++listed[action];
            inCategoryOrder.push_back(action);
        }
    }
    EXPECT_EQ(allCases<RuleCategory>().size(), 11u);
    ASSERT_EQ(allCases<RuleAction>().size(), 15u);
    for (RuleAction action : allCases<RuleAction>())
        EXPECT_EQ(listed[action], 1) << rawValue(action);
    EXPECT_EQ(inCategoryOrder.front(), RuleAction::findReplace);
    EXPECT_EQ(actions(RuleCategory::positions).size(), 2u);
    EXPECT_EQ(actions(RuleCategory::positions)[1], RuleAction::insertAt);
}

TEST(Catalogue, BlankRulesHoldTheDefaults) {
    EXPECT_EQ(blank(RuleAction::findReplace),
              RenameRule::findReplace("", "", false, false, Occurrences::all));
    EXPECT_EQ(blank(RuleAction::crop), RenameRule::crop(CropMode::removeFirst, 1));
    EXPECT_EQ(blank(RuleAction::truncate), RenameRule::truncate(20, Position::suffix));
    EXPECT_EQ(blank(RuleAction::sequence), RenameRule::sequence(1, 1, 2, Position::suffix, "-"));
    EXPECT_EQ(blank(RuleAction::dateStamp),
              RenameRule::dateStamp("yyyy-MM-dd", Position::prefix, "-"));
    EXPECT_EQ(blank(RuleAction::imageDimensions),
              RenameRule::imageDimensions(Position::suffix, "-"));
    EXPECT_EQ(blank(RuleAction::parentFolder), RenameRule::parentFolder(Position::prefix, "-"));
}

}  // namespace
}  // namespace tavix
