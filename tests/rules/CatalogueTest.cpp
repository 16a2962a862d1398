#include <gtest/gtest.h>

#include <map>

#include "rules/Catalogue.hpp"

namespace tavix {
namespace {

// The category that lists each action and the summary of its blank rule.
TEST(Catalogue, BlankRulesKnowTheirCategoryAndSummary) {
    const struct {
        RuleAction action;
        RuleCategory category;
        std::string_view summary;
    } cases[] = {
        {RuleAction::findReplace, RuleCategory::text, "Find & replace \u2014 nothing to find yet."},
        {RuleAction::addText, RuleCategory::text, "Add text \u2014 nothing entered yet."},
        {RuleAction::removeText, RuleCategory::text, "Remove text \u2014 nothing entered yet."},
        {RuleAction::removeCharacters, RuleCategory::characters, "Remove all digits (0-9)."},
        {RuleAction::collapseSpaces, RuleCategory::characters,
         "Collapse runs of spaces into one and trim the ends."},
        {RuleAction::crop, RuleCategory::positions, "Remove first 1 character."},
        {RuleAction::insertAt, RuleCategory::positions, "Insert text \u2014 nothing entered yet."},
        {RuleAction::changeCase, RuleCategory::conversions, "Convert the name to lowercase."},
        {RuleAction::truncate, RuleCategory::truncation,
         "Shorten to 20 characters, keeping the start."},
        {RuleAction::sequence, RuleCategory::numbering,
         "Number from 1 with at least 2 digits, after the name."},
        {RuleAction::romanNumeral, RuleCategory::roman,
         "Number in roman numerals from I, after the name."},
        {RuleAction::letterSequence, RuleCategory::alphabetical,
         "Letter the files a, b, c, after the name."},
        {RuleAction::dateStamp, RuleCategory::dateTime,
         "Add the file's modified date as \u201Cyyyy-MM-dd\u201D before the name, separated by "
         "\u201C-\u201D."},
        {RuleAction::imageDimensions, RuleCategory::imageSize,
         "Add the image's pixel size after the name."},
        {RuleAction::parentFolder, RuleCategory::parentName,
         "Add the enclosing folder's name before the name."},
    };
    for (const auto& c : cases) {
        const RenameRule rule = blank(c.action);
        EXPECT_EQ(rule.action(), c.action);
        EXPECT_EQ(rule.category(), c.category) << rawValue(c.action);
        EXPECT_EQ(rule.summary(), c.summary);
    }
    EXPECT_EQ(rawValue(RuleAction::findReplace), "Find & replace text");
    EXPECT_EQ(blank(RuleAction::sequence).label(), "Numbering");
}

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
    const auto positions = actions(RuleCategory::positions);
    EXPECT_EQ(std::vector(positions.begin(), positions.end()),
              (std::vector<RuleAction>{RuleAction::crop, RuleAction::insertAt}));
}

}  // namespace
}  // namespace tavix
