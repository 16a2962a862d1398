#include <filesystem>
#include <vector>

#include "ApplyCase.hpp"
#include "engine/RenamePlan.hpp"
#include "engine/StepStages.hpp"
#include "text/RegexReplace.hpp"

namespace tavix {
namespace {

constexpr auto all = Occurrences::all;
constexpr auto first = Occurrences::first;
constexpr auto last = Occurrences::last;

RenameRule plain(std::string find, std::string replace, Occurrences which = all,
                 bool caseSensitive = false) {
    return RenameRule{
        FindReplace{std::move(find), std::move(replace), false, caseSensitive, which}};
}
RenameRule pattern(std::string find, std::string replace, bool caseSensitive = false) {
    return RenameRule{FindReplace{std::move(find), std::move(replace), true, caseSensitive, all}};
}

const std::string cafeDecomposed = "Cafe\u0301";

INSTANTIATE_TEST_SUITE_P(
    PlainSearch, ApplySteps,
    ::testing::ValuesIn(std::vector<ApplyCase>{
        {"empty find, all", plain("", "x"), "Alpha", "Alpha"},
        {"all, folding case", plain("a", "x"), "Alpha", "xlphx"},
        {"first, folding case", plain("a", "x", first), "Alpha", "xlpha"},
        {"last, folding case", plain("a", "x", last), "Alpha", "Alphx"},
        {"first, case-sensitive", plain("a", "x", first, true), "Alpha", "Alphx"},
        {"matches don't overlap", plain("aa", "X"), "aaaaa", "XXa"},
        {"last is the match that starts last", plain("aa", "X", last), "aaa", "aX"},
        {"last, none found", plain("z", "x", last), "Alpha", "Alpha"},
        {"last, none found beyond ASCII", plain("z", "x", last), "Caf\u00e9", "Caf\u00e9"},
        {"replacement is verbatim", plain("a", "$0\\1"), "cat", "c$0\\1t"},
        // Canonical equivalence, both ways, and bytes outside matches untouched.
        {"precomposed finds decomposed", plain("\u00e9", "e"), cafeDecomposed, "Cafe"},
        {"case-sensitive still canonical", plain("\u00e9", "E", all, true), cafeDecomposed + "!",
         "CafE!"},
        {"unmatched text keeps its form", plain("x", "y"), "e\u0301 x \u00e9", "e\u0301 y \u00e9"},
        // Matches never split a character.
        {"base letter of a mark", plain("e", "X"), "e\u0301te", "e\u0301tX"},
        {"a lone mark", plain("\u0301", "X"), "e\u0301", "e\u0301"},
        {"emoji without its skin tone", plain("\U0001F44D", "ok"), "\U0001F44D\U0001F3FD\U0001F44D",
         "\U0001F44D\U0001F3FDok"},
        {"CR of a CR LF", plain("\r", "-"), "a\r\nb\r", "a\r\nb-"},
        // Full case folding beyond ASCII.
        {"sharp s folds to ss", plain("STRASSE", "Road"), "Stra\u00dfe 5", "Road 5"},
        {"final sigma", plain("\u03c3", "s"), "\u039f\u0394\u039f\u03a3", "\u039f\u0394\u039fs"},
        {"remove text, every case", RenameRule{RemoveText{"x", false}}, "XaxbX", "ab"},
        {"remove text, exact case", RenameRule{RemoveText{"x", true}}, "XaxbX", "XabX"},
    }));

INSTANTIATE_TEST_SUITE_P(
    Regex, ApplySteps,
    ::testing::ValuesIn(std::vector<ApplyCase>{
        {"groups in the template", pattern("(\\d+)", "[$1]"), "shot12 part3", "shot[12] part[3]"},
        {"unbalanced pattern", pattern("(", "x"), "a(b", "a(b"},
        {"folding case by default", pattern("a+", "-"), "AaBa", "-B-"},
        {"case-sensitive", pattern("a+", "-", true), "AaBa", "A-B-"},
        {"trailing backslash", pattern("b", "\\"), "abc", "a\\c"},
        {"missing group", pattern("(a)", "$2"), "abc", "abc"},
        {"two-digit group", pattern("(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", "$10$1"), "abcdefghij", "ja"},
        // A pattern that backtracks without end runs out of time: no change.
        {"time runs out after a match", pattern("b|(a+)+$", "x"), "b" + std::string(60, 'a') + "c",
         "b" + std::string(60, 'a') + "c"},
        {"quadratic work on a long name still finishes", pattern("a.*z|b", "X"),
         std::string(250, 'a') + "b", std::string(250, 'a') + "X"}}));

// The plan prepares every step once: steps of one stack never share or evict
// each other's compiled pattern or search text, name after name.
TEST(PreparedSteps, EachStepOfAStackKeepsItsOwnPattern) {
    const std::vector<RenameRule> stack = {
        pattern("(\\d{4})(\\d{2})(\\d{2})", "$1-$2-$3"),
        pattern("[ _]+", "-"),
        pattern("A", "@", true),
        plain("e\u0301", "E"),
        plain("-", "~", last),
        RenameRule{RemoveText{"\u00e9T", false}},
    };
    std::vector<Location> files;
    std::vector<std::string> expected;
    for (std::string name : {"IMG_20190101_000000", "Photo \u00e9t\u00e9", "a_b c"}) {
        files.push_back("/nowhere/" + name);
        for (const RenameRule& rule : stack) name = applied(rule, name);
        expected.push_back(name);
    }
    EXPECT_EQ(printed(RenameEngine::plan(files, stack, false)), expected);
}

// A name on which a pattern runs out of time is tooSlow and keeps its name; once
// the pattern is given up, every later name is tooSlow too, even one it would
// rewrite at once. Until then, later names are planned as usual.
TEST(PreparedSteps, NamesAPatternCouldNotFinishAreTooSlow) {
    const RenameRule hostile = pattern("(a+)+$|!", "Z");
    for (const int timeouts : {1, text::kRegexGiveUpAfter - 1, text::kRegexGiveUpAfter}) {
        std::vector<Location> files = {"/nowhere/b!1"};
        std::vector<std::string> expected{"bZ1"};
        for (int i = 0; i < timeouts; ++i) {
            const std::string name = std::string(29, 'a') + "!" + std::to_string(i);
            files.push_back("/nowhere/" + name);
            expected.push_back(name + " !tooSlow");
        }
        const bool givenUp = timeouts == text::kRegexGiveUpAfter;
        files.push_back("/nowhere/c!2");
        expected.push_back(givenUp ? "c!2 !tooSlow" : "cZ2");
        const RenamePlan plan = RenameEngine::plan(files, {hostile}, false);
        EXPECT_EQ(printed(plan), expected) << timeouts;
        EXPECT_EQ(plan.changedCount(), givenUp ? 1u : 2u);
    }
}

// A tooSlow item's new name is unknown: no later step runs on it, it clashes
// with nothing, and a clash among other items at its old name doesn't hide why
// it is blocked.
TEST(PreparedSteps, TooSlowComesBeforeEveryOtherProblem) {
    const std::string as(29, 'a');
    const std::vector<RenameRule> stack = {pattern("(a+)+$|!", "Z"), plain("x", as + "!1"),
                                           plain("!", "!!")};
    const std::vector<Location> files = {"/nowhere/one/" + as + "!!1", "/nowhere/two/x",
                                         "/nowhere/three/x"};
    EXPECT_EQ(printed(RenameEngine::plan(files, stack, false)),
              (std::vector<std::string>{as + "!!1 !tooSlow", as + "!!1 !duplicate",
                                        as + "!!1 !duplicate"}));
}

// Steps spread over threads give what one thread gives, time-outs included:
// a pattern that runs out of time on names in several threads' shares is
// given up where the names in list order say, not where one thread's share
// does.
TEST(StepStages, ThreadsGiveWhatOneThreadGives) {
    const std::string as(29, 'a');
    const std::vector<RenameRule> stack = {pattern("(a+)+$|!", "Z"),
                                           RenameRule{ChangeCase{CaseStyle::upper}},
                                           pattern("(a+)+$|B", "y"),
                                           RenameRule{Sequence{1, 1, 3, Position::suffix, "-"}}};
    // Files whose names run out of time at the first or third step, a few in
    // each thread's share: together, but in no one share, enough to give up.
    std::vector<Location> files;
    for (int i = 0; i < 60; ++i) {
        const std::string n = std::to_string(i);
        files.push_back("/nowhere/" + (i % 7 == 3   ? "b" + n + "!" + std::string(29, 'A')
                                       : i % 5 == 2 ? as + "!" + n
                                                    : "b!" + n));
    }
    const RenamePlan one = RenameEngine::plan(files, stack, false);
    ASSERT_EQ(one.items.back().problem, RenamePlan::Problem::tooSlow);  // given up …
    ASSERT_EQ(one.items[0].problem, std::nullopt);  // … after planning some names
    for (const unsigned threads : {2u, 3u, 7u}) {
        RenameEngine::StepStages stages(threads, 1);
        const RenamePlan many =
            RenameEngine::plan(files, stack, false, RenameEngine::DateSource::modified, stages);
        EXPECT_EQ(printed(many), printed(one)) << threads;
    }
}

}  // namespace
}  // namespace tavix
