#include <filesystem>
#include <vector>

#include "ApplyCase.hpp"
#include "engine/RenamePlan.hpp"
#include "text/RegexReplace.hpp"

namespace tavix {
namespace {

constexpr auto all = Occurrences::all;
constexpr auto first = Occurrences::first;
constexpr auto last = Occurrences::last;

RenameRule plain(std::string find, std::string replace, Occurrences which = all,
                 bool caseSensitive = false) {
    return RenameRule::findReplace(std::move(find), std::move(replace), false, caseSensitive,
                                   which);
}
RenameRule pattern(std::string find, std::string replace, bool caseSensitive = false) {
    return RenameRule::findReplace(std::move(find), std::move(replace), true, caseSensitive, all);
}

const std::string cafeDecomposed = "Cafe\u0301";

INSTANTIATE_TEST_SUITE_P(
    PlainSearch, ApplySteps,
    ::testing::Values(
        ApplyCase{"empty find, all", plain("", "x"), "Alpha", "Alpha"},
        ApplyCase{"empty find, regex", pattern("", "x"), "Alpha", "Alpha"},
        ApplyCase{"empty find, last", plain("", "x", last), "Alpha", "Alpha"},
        ApplyCase{"all, folding case", plain("a", "x"), "Alpha", "xlphx"},
        ApplyCase{"first, folding case", plain("a", "x", first), "Alpha", "xlpha"},
        ApplyCase{"last, folding case", plain("a", "x", last), "Alpha", "Alphx"},
        ApplyCase{"first, case-sensitive", plain("a", "x", first, true), "Alpha", "Alphx"},
        ApplyCase{"nothing found", plain("z", "x"), "Alpha", "Alpha"},
        ApplyCase{"matches don't overlap", plain("aa", "X"), "aaaaa", "XXa"},
        ApplyCase{"last is the match that starts last", plain("aa", "X", last), "aaa", "aX"},
        ApplyCase{"replacement is verbatim", plain("a", "$0\\1"), "cat", "c$0\\1t"},
        ApplyCase{"replacement may grow the name", plain("o", "oo"), "foo", "foooo"},
        ApplyCase{"regex flag ignored for first",
                  RenameRule::findReplace("(\\d+)", "[$1]", true, false, first), "shot12 part3",
                  "shot12 part3"},
        ApplyCase{"regex flag ignored for last",
                  RenameRule::findReplace("a.", "-", true, false, last), "a.b ab", "-b ab"},
        // Canonical equivalence, both ways, and bytes outside matches untouched.
        ApplyCase{"precomposed finds decomposed", plain("\u00e9", "e"), cafeDecomposed, "Cafe"},
        ApplyCase{"decomposed finds precomposed", plain("e\u0301", "e"), "Caf\u00e9", "Cafe"},
        ApplyCase{"case-sensitive still canonical", plain("\u00e9", "E", all, true),
                  cafeDecomposed + "!", "CafE!"},
        ApplyCase{"marks in either order", plain("a\u0323\u0301", "x"), "-a\u0301\u0323-", "-x-"},
        ApplyCase{"Hangul syllable finds its jamo", plain("\ud55c", "H"),
                  "\u1112\u1161\u11ab\uae00", "H\uae00"},
        ApplyCase{"unmatched text keeps its form", plain("x", "y"), "e\u0301 x \u00e9",
                  "e\u0301 y \u00e9"},
        ApplyCase{"Kelvin sign is K", plain("\u212a", "k", all, true), "Kilo", "kilo"},
        // Matches never split a character.
        ApplyCase{"base letter of a mark", plain("e", "X"), "e\u0301te", "e\u0301tX"},
        ApplyCase{"a lone mark", plain("\u0301", "X"), "e\u0301", "e\u0301"},
        ApplyCase{"partial jamo of a syllable", plain("\u1112\u1161", "X"), "\ud55c", "\ud55c"},
        ApplyCase{"emoji without its skin tone", plain("\U0001F44D", "ok"),
                  "\U0001F44D\U0001F3FD\U0001F44D", "\U0001F44D\U0001F3FDok"},
        ApplyCase{"one person of a family", plain("\U0001F469", "W"),
                  "\U0001F468\u200d\U0001F469\u200d\U0001F467",
                  "\U0001F468\u200d\U0001F469\u200d\U0001F467"},
        ApplyCase{"indicators across two flags", plain("\U0001F1F7\U0001F1F7", "X"),
                  "\U0001F1EB\U0001F1F7\U0001F1F7\U0001F1FA",
                  "\U0001F1EB\U0001F1F7\U0001F1F7\U0001F1FA"},
        ApplyCase{"a whole flag", plain("\U0001F1F7\U0001F1FA", "RU"),
                  "\U0001F1EB\U0001F1F7\U0001F1F7\U0001F1FA", "\U0001F1EB\U0001F1F7RU"},
        ApplyCase{"CR of a CR LF", plain("\r", "-"), "a\r\nb\r", "a\r\nb-"},
        // Case folding beyond ASCII.
        ApplyCase{"accented capital", plain("\u00c9", "E"), "\u00e9cole", "Ecole"},
        ApplyCase{"accented capital, case-sensitive", plain("\u00c9", "E", all, true), "\u00e9cole",
                  "\u00e9cole"},
        ApplyCase{"sharp s folds to ss", plain("STRASSE", "Road"), "Stra\u00dfe 5", "Road 5"},
        ApplyCase{"ss finds sharp s", plain("stra\u00dfe", "Road"), "STRASSE", "Road"},
        ApplyCase{"ligature folds to ASCII", plain("\ufb00", "ff"), "oFFice", "office"},
        ApplyCase{"final sigma", plain("\u03c3", "s"), "\u039f\u0394\u039f\u03a3",
                  "\u039f\u0394\u039fs"},
        ApplyCase{"decomposed capital, folding", plain("E\u0301COLE", "school"), "\u00e9cole",
                  "school"}));

INSTANTIATE_TEST_SUITE_P(
    RemoveText, ApplySteps,
    ::testing::Values(ApplyCase{"every case", RenameRule::removeText("x", false), "XaxbX", "ab"},
                      ApplyCase{"only the exact case", RenameRule::removeText("x", true), "XaxbX",
                                "XabX"},
                      ApplyCase{"empty text", RenameRule::removeText("", false), "XaxbX", "XaxbX"},
                      ApplyCase{"canonically equivalent", RenameRule::removeText("\u00e9", false),
                                "cafe\u0301s", "cafs"},
                      ApplyCase{"whole name", RenameRule::removeText("ABC", false), "abc", ""}));

INSTANTIATE_TEST_SUITE_P(
    Regex, ApplySteps,
    ::testing::Values(
        ApplyCase{"groups in the template", pattern("(\\d+)", "[$1]"), "shot12 part3",
                  "shot[12] part[3]"},
        ApplyCase{"whole match", pattern("\\d", "<$0>"), "a1b2", "a<1>b<2>"},
        ApplyCase{"unbalanced pattern", pattern("(", "x"), "a(b", "a(b"},
        ApplyCase{"folding case by default", pattern("a+", "-"), "AaBa", "-B-"},
        ApplyCase{"case-sensitive", pattern("a+", "-", true), "AaBa", "A-B-"},
        ApplyCase{"non-ASCII case folding", pattern("\u00e9+", "e"), "\u00c9\u00e9t\u00e9", "ete"},
        ApplyCase{"escaped dollar", pattern("(\\d)", "\\$1"), "a1", "a$1"},
        ApplyCase{"escaped backslash", pattern("(\\d)", "\\\\$1"), "a1", "a\\1"},
        ApplyCase{"dollar without digit", pattern("b", "$x$"), "abc", "a$x$c"},
        ApplyCase{"trailing backslash", pattern("b", "\\"), "abc", "a\\c"},
        ApplyCase{"missing group", pattern("(a)", "$2"), "abc", "abc"},
        ApplyCase{"longest group that exists", pattern("(a)", "$12"), "abc", "a2bc"},
        ApplyCase{"two-digit group", pattern("(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", "$10$1"),
                  "abcdefghij", "ja"},
        ApplyCase{"group that took no part", pattern("(x)?a", "[$1]"), "ab", "[]b"},
        ApplyCase{"empty matches", pattern("x*", "-"), "ab", "-a-b-"},
        ApplyCase{"non-ASCII text around matches", pattern("\\s+", "_"),
                  "e\u0301t\u00e9  \U0001F44D\U0001F3FD", "e\u0301t\u00e9_\U0001F44D\U0001F3FD"},
        // A pattern that backtracks without end runs out of time: no change.
        ApplyCase{"nested quantifier, short name", pattern("(a+)+$", "x"),
                  std::string(40, 'a') + "b", std::string(40, 'a') + "b"},
        ApplyCase{"nested quantifier, long name", pattern("(a+)+$", "x"),
                  std::string(5000, 'a') + "b", std::string(5000, 'a') + "b"},
        ApplyCase{"overlapping repeats", pattern("(x+x+)+y", "z"), std::string(60, 'x'),
                  std::string(60, 'x')},
        ApplyCase{"time runs out after a match", pattern("b|(a+)+$", "x"),
                  "b" + std::string(60, 'a') + "c", "b" + std::string(60, 'a') + "c"},
        ApplyCase{"quadratic work on a long name still finishes", pattern("a.*z|b", "X"),
                  std::string(250, 'a') + "b", std::string(250, 'a') + "X"}));

// The plan prepares every step once: steps of one stack never share or evict
// each other's compiled pattern or search text, name after name.
TEST(PreparedSteps, EachStepOfAStackKeepsItsOwnPattern) {
    const std::vector<RenameRule> stack = {
        pattern("(\\d{4})(\\d{2})(\\d{2})", "$1-$2-$3"),
        pattern("[ _]+", "-"),
        pattern("A", "@", true),
        plain("e\u0301", "E"),
        plain("-", "~", last),
        RenameRule::removeText("\u00e9T", false),
    };
    const std::string names[] = {"IMG_20190101_000000", "Scan 2019-01-01 Z\u00fcrich", "Photo \u00e9t\u00e9",
                                 "Caf\u00e9 Au Lait_v2", "a_b c"};
    std::vector<Location> files;
    for (const std::string& name : names) files.push_back("/nowhere/" + name);
    const RenamePlan plan = RenameEngine::plan(files, stack, false);
    for (std::size_t i = 0; i < std::size(names); ++i) {
        std::string expected = names[i];
        for (const RenameRule& rule : stack) expected = applied(rule, expected);
        EXPECT_EQ(plan.items[i].newName, expected) << names[i];
    }
}

// A pattern that keeps running out of time is given up for the rest of the plan:
// names after that stay unchanged even where it would match quickly.
TEST(PreparedSteps, PatternThatKeepsRunningOutOfTimeIsGivenUp) {
    const RenameRule hostile = pattern("^(a+)+$", "x");
    for (const int timeouts : {text::kRegexGiveUpAfter - 1, text::kRegexGiveUpAfter}) {
        std::vector<Location> files = {"/nowhere/aa"};
        for (int i = 0; i < timeouts; ++i) {
            files.push_back("/nowhere/" + std::string(40, 'a') + "!" + std::to_string(i));
        }
        files.push_back("/nowhere/aaa");
        const RenamePlan plan = RenameEngine::plan(files, {hostile}, false);
        EXPECT_EQ(plan.items.front().newName, "x");
        for (int i = 1; i <= timeouts; ++i) EXPECT_FALSE(plan.items[i].isChanged());
        const bool givenUp = timeouts == text::kRegexGiveUpAfter;
        EXPECT_EQ(plan.items.back().newName, givenUp ? "aaa" : "x") << timeouts;
    }
}

}  // namespace
}  // namespace tavix
