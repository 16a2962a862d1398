#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <sstream>
#include <string>

#include "rules/Catalogue.hpp"
#include "rules/Options.hpp"
#include "rules/RuleCoding.hpp"
#include "rules/Sequences.hpp"

namespace tavix {
namespace {

struct Sample {
    RenameRule rule;
    std::string summary;
};

// One step of each kind, every parameter away from its default, with its summary.
const Sample samples[] = {
    {{FindReplace{"(\\d+)", "[$1] \u00E9", true, true, Occurrences::last}},
     "Replace \u201C(\\d+)\u201D with \u201C[$1] \u00E9\u201D (regex), matching case, last only."},
    {{AddText{"\U0001F44D\U0001F3FD", Position::suffix}},
     "Add \u201C\U0001F44D\U0001F3FD\u201D after the name."},
    {{RemoveText{"x\"y", true}}, "Remove \u201Cx\"y\u201D, matching case."},
    {{ChangeCase{CaseStyle::sentence}}, "Convert the name to Sentence case."},
    {{Sequence{INT64_MIN, INT64_MAX, -1, Position::prefix, ""}},
     "Number from -9223372036854775808 in steps of 9223372036854775807 with at least -1 digits, "
     "before the name."},
    {{DateStamp{"EEEE d MMMM", Position::suffix, " \u2014 "}},
     "Add the file's modified date as \u201CEEEE d MMMM\u201D after the name, separated by "
     "\u201C \u2014 \u201D."},
    {{RemoveCharacters{CharacterClass::custom, "\u00A0\t"}},
     "Remove the characters \u201C\u00A0\t\u201D."},
    {{CollapseSpaces{}}, "Collapse runs of spaces into one and trim the ends."},
    {{Crop{CropMode::keepLast, 0}}, "Keep last 0 characters."},
    {{InsertAt{"\n", -3}}, "Insert \u201C\n\u201D at position -3."},
    {{Truncate{0, Position::prefix}}, "Shorten to 0 characters, keeping the end."},
    {{RomanNumeral{3999, Position::prefix, "/"}},
     "Number in roman numerals from MMMCMXCIX, before the name."},
    {{LetterSequence{true, Position::prefix, ":"}}, "Letter the files A, B, C, before the name."},
    {{ImageDimensions{Position::prefix, " "}}, "Add the image's pixel size before the name."},
    {{ParentFolder{Position::suffix, "_"}}, "Add the enclosing folder's name after the name."},
};

// Picking an action gives a fresh step of its kind, listed once under the
// step's category; the samples hold one step of each kind.
TEST(Kinds, AreListedOnceRoundTripThroughTheKeyedFormAndSummariseTheirParameters) {
    // By title, so that a kind without a sample is named.
    std::set<std::string_view> listed, sampled;
    for (RuleCategory category : allCases<RuleCategory>()) {
        EXPECT_FALSE(actions(category).empty()) << rawValue(category);
        for (RuleAction action : actions(category)) {
            EXPECT_TRUE(listed.insert(rawValue(action)).second) << rawValue(action);
            EXPECT_EQ(blank(action).category(), category) << rawValue(action);
            EXPECT_EQ(blank(action).action(), action) << rawValue(action);
        }
    }
    EXPECT_EQ(allCases<RuleAction>().size(), std::size(samples));
    // With a blank step of each kind, every step has an id of its own but a
    // kind's without parameters, whose blank step is the sample.
    std::set<std::string> ids;
    std::size_t parameterless = 0;
    for (const auto& [rule, summary] : samples) {
        sampled.insert(rawValue(rule.action()));
        parameterless += encodeRule(rule).front().empty();
        ids.insert({rule.id(), blank(rule.action()).id()});
        const std::string text = encodeRule(rule).dump();
        EXPECT_EQ(decodeRule(std::string_view(text)), rule) << text;
        EXPECT_EQ(rule.summary(), summary) << text;
        const RenameRule fresh = blank(rule.action());
        EXPECT_EQ(decodeRule(encodeRule(fresh)), fresh) << text;
        // Every parameter counts: a sample that has any shows them.
        EXPECT_TRUE(encodeRule(rule).front().empty() || rule.summary() != fresh.summary()) << text;
    }
    EXPECT_EQ(listed, sampled);
    EXPECT_EQ(ids.size(), 2 * std::size(samples) - parameterless);
}

// The summaries' turns of phrase that the samples don't reach: an empty text, a
// single character, a step of one, a replacement of nothing; texts
// show exactly as stored, spaces and quotes included.
TEST(Summaries, DescribeTheStepInOneLine) {
    const std::pair<RenameRule, std::string> cases[] = {
        {blank(RuleAction::findReplace), "Find & replace \u2014 nothing to find yet."},
        {{FindReplace{"IMG", "", false, false, Occurrences::all}},
         "Replace \u201CIMG\u201D with nothing."},
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
        {blank(RuleAction::letterSequence), "Letter the files a, b, c, after the name."},
        {blank(RuleAction::dateStamp), "Add the file's modified date as \u201Cyyyy-MM-dd\u201D "
                                       "before the name, separated by \u201C-\u201D."},
    };
    for (const auto& [rule, summary] : cases) EXPECT_EQ(rule.summary(), summary);
}

// Each title reads back as its own value, and only exactly as written.
template <class... Sets>
void expectEveryTitleReadsBack() {
    (..., [] {
        for (Sets value : allCases<Sets>())
            EXPECT_EQ(fromRawValue<Sets>(rawValue(value)), value) << rawValue(value);
    }());
}

TEST(OptionSets, ReadEveryTitleBackToItsCaseAndMatchTitlesExactly) {
    expectEveryTitleReadsBack<CaseStyle, CharacterClass, CropMode, Occurrences, Position>();
    EXPECT_EQ(fromRawValue<CaseStyle>(" lowercase"), std::nullopt);
}

// Roman numerals are greedy and plain decimal outside their range; letters
// count in bijective base 26.
TEST(Sequences, NumberInRomanNumeralsAndInLetters) {
    // Each row: a number and what it should give.
    const auto expectEach = [](const std::string& rows, const auto& make) {
        std::istringstream in(rows);
        for (std::int64_t n; in >> n;) {
            std::string expected;
            in >> expected;
            EXPECT_EQ(make(n), expected) << n;
        }
    };
    expectEach("1 I 4 IV 9 IX 14 XIV 40 XL 90 XC 400 CD 900 CM 1994 MCMXCIV 3999 MMMCMXCIX 0 0 "
               "-2 -2 4000 4000 -9223372036854775808 -9223372036854775808",
               Sequences::roman);
    expectEach("0 a 25 z 26 aa 27 ab 51 az 52 ba 701 zz 702 aaa 9223372036854775807 crpxnlskvljfhh "
               "-5 a",
               [](std::int64_t n) { return Sequences::letters(n, false); });
    EXPECT_EQ(Sequences::letters(26, true), "AA");
}

}  // namespace
}  // namespace tavix
