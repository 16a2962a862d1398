#include <string>
#include <vector>

#include "ApplyCase.hpp"
#include "engine/StepStages.hpp"
#include "text/RegexReplace.hpp"

namespace tavix {
namespace {

// Steps spread over threads give what one thread gives, time-outs included:
// a pattern that runs out of time on names in several threads' shares is
// given up where the names in list order say, not where one thread's share does.
TEST(StepStages, ThreadsGiveWhatOneThreadGives) {
    const std::string as(29, 'a');
    const std::vector<RenameRule> stack = {
        RenameRule{FindReplace{"(a+)+$|!", "Z", true, false, Occurrences::all}},
        RenameRule{ChangeCase{CaseStyle::upper}},
        RenameRule{FindReplace{"(a+)+$|B", "y", true, false, Occurrences::all}},
        RenameRule{Sequence{1, 1, 3, Position::suffix, "-"}},
    };
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
    int tooSlow = 0;
    for (const auto& item : one.items) tooSlow += item.problem == RenamePlan::Problem::tooSlow;
    ASSERT_GT(tooSlow, text::kRegexGiveUpAfter);  // the steps were given up …
    ASSERT_EQ(one.items.back().problem, RenamePlan::Problem::tooSlow);
    ASSERT_EQ(one.items[0].problem, std::nullopt);  // … after planning some names
    for (const unsigned threads : {2u, 3u, 7u}) {
        RenameEngine::StepStages stages(threads, 1);
        const RenamePlan many =
            RenameEngine::plan(files, stack, false, RenameEngine::DateSource::modified, stages);
        EXPECT_EQ(printed(many), printed(one)) << threads;
    }
}

// A long list planned once is spread over the cores (when there are several)
// with the results of one thread: numbering, the steps' giving up, and clashes
// between files in different threads' shares.
TEST(StepStages, ALongListPlannedOnceGivesWhatOneThreadGives) {
    const RenameRule slow{FindReplace{"(a+)+$|_", "-", true, false, Occurrences::all}};
    const RenameRule lower{ChangeCase{CaseStyle::lower}};
    const RenameRule numbered{Sequence{1, 1, 5, Position::suffix, "-"}};
    std::vector<Location> files;
    for (int i = 0; i < 3 * 4096; ++i) {
        // Every 1,000th name runs out of time, so the pattern is given up in
        // the second share of the list; the second, one in the first share and
        // one in the second have names that differ only in case.
        files.push_back("/nowhere/" +
                        (i % 1000 == 999 ? std::string(29, 'a') + "!"
                         : i == 3001     ? "img_"
                                         : "IMG_") +
                        std::to_string(i == 3001 || i == 6501 ? 1 : i) + (i % 2 ? ".JPG" : ".jpg"));
    }
    for (const auto& stack : {std::vector{slow, lower, numbered}, std::vector{slow, lower}}) {
        RenameEngine::StepStages oneThread(1);
        const RenamePlan one =
            RenameEngine::plan(files, stack, true, RenameEngine::DateSource::modified, oneThread);
        ASSERT_EQ(one.items[10000].problem, RenamePlan::Problem::tooSlow);  // given up by then
        ASSERT_EQ(one.items[6501].problem,
                  stack.size() == 3 ? std::nullopt : std::optional(RenamePlan::Problem::duplicate));
        const RenamePlan once = RenameEngine::plan(files, stack, true);
        EXPECT_EQ(printed(once, true), printed(one, true));
    }
}

}  // namespace
}  // namespace tavix
