#include <gtest/gtest.h>

#include "rules/Catalogue.hpp"

namespace tavix {
namespace {

using SummaryCase = std::pair<RenameRule, std::string>;

// The summaries' turns of phrase that the catalogue's samples don't reach: an
// empty text, a single digit or character, a step of one, a replacement of nothing.
TEST(Summaries, DescribeTheStepInOneLine) {
    const SummaryCase cases[] = {
        {blank(RuleAction::findReplace), "Find & replace \u2014 nothing to find yet."},
        {{FindReplace{"IMG", "", false, false, Occurrences::all}},
         "Replace \u201CIMG\u201D with nothing."},
        // Texts show exactly as stored, spaces and quotes included.
        {{FindReplace{" \u201Cx\u201D ", " ", false, false, Occurrences::first}},
         "Replace \u201C \u201Cx\u201D \u201D with \u201C \u201D, first only."},
        {blank(RuleAction::addText), "Add text \u2014 nothing entered yet."},
        {blank(RuleAction::removeText), "Remove text \u2014 nothing entered yet."},
        {{RemoveText{"x", false}}, "Remove \u201Cx\u201D."},
        {blank(RuleAction::insertAt), "Insert text \u2014 nothing entered yet."},
        {blank(RuleAction::removeCharacters), "Remove all digits (0-9)."},
        {{RemoveCharacters{CharacterClass::custom, ""}},
         "Remove characters \u2014 none chosen yet."},
        {blank(RuleAction::crop), "Remove first 1 character."},
        {blank(RuleAction::truncate), "Shorten to 20 characters, keeping the start."},
        {blank(RuleAction::sequence), "Number from 1 with at least 2 digits, after the name."},
        {{Sequence{10, 5, 1, Position::prefix, "_"}},
         "Number from 10 in steps of 5 with at least 1 digit, before the name."},
        {blank(RuleAction::letterSequence), "Letter the files a, b, c, after the name."},
        {blank(RuleAction::dateStamp),
         "Add the file's modified date as \u201Cyyyy-MM-dd\u201D before the name, separated by "
         "\u201C-\u201D."},
    };
    for (const auto& [rule, summary] : cases) EXPECT_EQ(rule.summary(), summary);
}

}  // namespace
}  // namespace tavix
