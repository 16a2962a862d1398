#include <gtest/gtest.h>

#include "rules/RenameRule.hpp"

namespace tavix {
namespace {

using SummaryCase = std::pair<RenameRule, std::string>;

TEST(Summaries, DescribeTheStepInOneLine) {
    const SummaryCase cases[] = {
        SummaryCase{RenameRule::findReplace("IMG", "", false, false, Occurrences::all),
                    "Replace \u201CIMG\u201D with nothing."},
        SummaryCase{RenameRule::findReplace("a", "b", true, true, Occurrences::last),
                    "Replace \u201Ca\u201D with \u201Cb\u201D (regex), matching case, last only."},
        // Texts show exactly as stored, spaces and quotes included.
        SummaryCase{RenameRule::findReplace(" \u201Cx\u201D ", " ", false, false, Occurrences::all),
                    "Replace \u201C \u201Cx\u201D \u201D with \u201C \u201D."},
        SummaryCase{RenameRule::removeText("x", true), "Remove \u201Cx\u201D, matching case."},
        SummaryCase{RenameRule::addText(" ", Position::suffix),
                    "Add \u201C \u201D after the name."},
        SummaryCase{RenameRule::changeCase(CaseStyle::title), "Convert the name to Title Case."},
        SummaryCase{RenameRule::sequence(10, 5, 1, Position::prefix, "_"),
                    "Number from 10 in steps of 5 with at least 1 digit, before the name."},
        SummaryCase{RenameRule::dateStamp("", Position::suffix, ""),
                    "Add the file's modified date as \u201C\u201D after the name, separated by "
                    "\u201C\u201D."},
        SummaryCase{RenameRule::removeCharacters(CharacterClass::custom, "_-"),
                    "Remove the characters \u201C_-\u201D."},
        SummaryCase{RenameRule::removeCharacters(CharacterClass::custom, ""),
                    "Remove characters \u2014 none chosen yet."},
        SummaryCase{RenameRule::insertAt("x", -3), "Insert \u201Cx\u201D at position -3."},
        SummaryCase{RenameRule::truncate(1, Position::prefix),
                    "Shorten to 1 characters, keeping the end."},
        SummaryCase{RenameRule::romanNumeral(1994, Position::prefix, ""),
                    "Number in roman numerals from MCMXCIV, before the name."},
        SummaryCase{RenameRule::letterSequence(true, Position::prefix, "-"),
                    "Letter the files A, B, C, before the name."},
        SummaryCase{RenameRule::sequence(INT64_MIN, INT64_MAX, 1, Position::suffix, "-"),
                    "Number from -9223372036854775808 in steps of 9223372036854775807 with at "
                    "least 1 digit, after the name."}};
    for (const auto& [rule, summary] : cases) EXPECT_EQ(rule.summary(), summary);
}

}  // namespace
}  // namespace tavix
