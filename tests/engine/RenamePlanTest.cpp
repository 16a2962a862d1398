#include <gtest/gtest.h>

#include <optional>

#include "engine/RenamePlan.hpp"
#include "rules/Catalogue.hpp"
#include "support/TemporaryFolder.hpp"

namespace tavix {
namespace {

using Problem = RenamePlan::Problem;
using test::TemporaryFolder;

RenameRule upper() {
    return RenameRule{ChangeCase{CaseStyle::upper}};
}
RenameRule replace(std::string find, std::string with) {
    return RenameRule{FindReplace{std::move(find), std::move(with), false, true, Occurrences::all}};
}
RenameRule cropAll() {
    return RenameRule{Crop{CropMode::removeFirst, 1000}};
}

std::vector<std::optional<Problem>> problems(const RenamePlan& plan) {
    std::vector<std::optional<Problem>> out;
    for (const auto& item : plan.items) out.push_back(item.problem);
    return out;
}

std::vector<std::string> newNames(const RenamePlan& plan) {
    std::vector<std::string> out;
    for (const auto& item : plan.items) out.emplace_back(item.newName);
    return out;
}

struct ExtensionCase {
    std::string name;
    bool keepExtension;
    RenameRule rule;
    std::string expected;
    std::optional<Problem> problem;
};

class ExtensionSplitting : public ::testing::TestWithParam<ExtensionCase> {};

TEST_P(ExtensionSplitting, KeepsTheExtensionOutOfTheSteps) {
    const auto& c = GetParam();
    TemporaryFolder folder;
    const auto file = folder.write(c.name);
    const RenamePlan plan = RenameEngine::plan({file}, {c.rule}, c.keepExtension);
    ASSERT_EQ(plan.items.size(), 1u);
    EXPECT_EQ(plan.items[0].originalName(), c.name);
    EXPECT_EQ(plan.items[0].newName, c.expected);
    EXPECT_EQ(plan.items[0].problem, c.problem);
}

INSTANTIATE_TEST_SUITE_P(RenamePlan, ExtensionSplitting,
                         ::testing::ValuesIn(std::vector<ExtensionCase>{
                             {"report.final.pdf", true, upper(), "REPORT.FINAL.pdf", std::nullopt},
                             {"report.final.pdf", false, upper(), "REPORT.FINAL.PDF", std::nullopt},
                             {".profile", true, upper(), ".PROFILE", std::nullopt},
                             {"trailing.", true, upper(), "TRAILING.", std::nullopt},
                             {"noext", true, upper(), "NOEXT", std::nullopt},
                             // A step that adds a dot does not move the extension.
                             {"a.txt", true, RenameRule{AddText{".tar", Position::suffix}},
                              "a.tar.txt", std::nullopt},
                             {"a.txt", true, cropAll(), ".txt", Problem::empty},
                             {"a.txt", true, replace("a", " \t "), " \t .txt", Problem::empty},
                             {"a.txt", true, replace("a", " x "), " x .txt", std::nullopt},
                             {"a.txt", true, replace("a", "b/c"), "b/c.txt", Problem::illegal},
                             {"a.txt", true, replace("a", "b:c"), "b:c.txt", Problem::illegal},
                             // No file system can hold NUL: the name would be cut at it.
                             {"a.txt", true, replace("a", std::string("b\0c", 3)),
                              std::string("b\0c.txt", 7), Problem::illegal}}));

TEST(RenamePlan, MarksEveryMemberOfAClashIgnoringCaseCompositionAndFolders) {
    TemporaryFolder folder;
    const auto a = folder.write("one/x.txt");
    const auto b = folder.write("two/A.TXT");
    const auto c = folder.write("three/b.txt");
    // A precomposed capital É and e + U+0301 are the same name once lowercased.
    const auto d = folder.write("four/\u00C9t\u00E9");
    const auto e = folder.write("five/e\u0301te\u0301");
    // x.txt becomes a.txt, which clashes with the unchanged A.TXT in another folder.
    const RenamePlan plan = RenameEngine::plan({a, b, c, d, e}, {replace("x", "a")}, true);
    EXPECT_EQ(newNames(plan), (std::vector<std::string>{"a.txt", "A.TXT", "b.txt", "\u00C9t\u00E9",
                                                        "e\u0301te\u0301"}));
    EXPECT_EQ(problems(plan), (std::vector<std::optional<Problem>>{
                                  Problem::duplicate, Problem::duplicate, std::nullopt,
                                  Problem::duplicate, Problem::duplicate}));
    EXPECT_EQ(plan.changedCount(), 0u);
    EXPECT_TRUE(plan.hasProblems());
}

TEST(RenamePlan, ExistsOnlyForChangedItemsWhoseDestinationIsTaken) {
    TemporaryFolder folder;
    const auto a = folder.write("a.txt");
    const auto b = folder.write("b.txt");
    const auto c = folder.write("c.txt");
    // a ↔ b is a swap: both destinations exist now, so both are blocked.
    const RenamePlan swap =
        RenameEngine::plan({a, b}, {replace("a", "@"), replace("b", "a"), replace("@", "b")}, true);
    EXPECT_EQ(newNames(swap), (std::vector<std::string>{"b.txt", "a.txt"}));
    EXPECT_EQ(problems(swap),
              (std::vector<std::optional<Problem>>{Problem::exists, Problem::exists}));

    const RenamePlan unchanged = RenameEngine::plan({c}, {replace("zzz", "y")}, true);
    EXPECT_EQ(unchanged.items[0].problem, std::nullopt);
    EXPECT_FALSE(unchanged.items[0].isChanged());
}

// A case-only change is not blocked by the file itself, but by any other entry.
TEST(RenamePlan, AnotherEntryAtTheDestinationExistsEvenIfItIsTheSameFile) {
    TemporaryFolder folder;
    const auto a = folder.write("photo.jpg");
    const RenamePlan caseOnly = RenameEngine::plan({a}, {upper()}, true);
    EXPECT_EQ(caseOnly.items[0].newName, "PHOTO.jpg");
    EXPECT_EQ(caseOnly.items[0].problem, std::nullopt);
    EXPECT_EQ(caseOnly.changedCount(), 1u);
    folder.write("PHOTO.jpg");
    EXPECT_EQ(RenameEngine::plan({a}, {upper()}, true).items[0].problem, Problem::exists);
}

TEST(RenamePlan, NumbersFilesInListOrderAndGivesFreshIds) {
    TemporaryFolder folder;
    const auto a = folder.write("a.txt");
    const auto b = folder.write("b.txt");
    const auto rules = std::vector<RenameRule>{blank(RuleAction::sequence)};
    const RenamePlan first = RenameEngine::plan({b, a}, rules, true);
    EXPECT_EQ(newNames(first), (std::vector<std::string>{"b-01.txt", "a-02.txt"}));
    EXPECT_NE(first.items[0].id, RenameEngine::plan({b, a}, rules, true).items[0].id);
}

// The plan holds its own paths and names, each followed by a NUL (moves hand
// them to the system as they are), and copies of it share that text safely:
// neither the list it was made from nor the plan it was copied from is needed,
// and what one copy adds doesn't show in another.
TEST(RenamePlan, KeepsItsOwnTerminatedTextThatCopiesShare) {
    TemporaryFolder folder;
    std::vector<Location> files{folder.write("a.txt"), folder.write("kept.txt"),
                                Location(folder.path().native() + "/sub/")};
    const std::string base = folder.path().native();
    auto planned = std::make_optional(RenameEngine::plan(std::move(files), {replace("a", "b")}, true));
    EXPECT_TRUE(files.empty());
    RenamePlan first = *planned;
    RenamePlan second = *planned;
    planned.reset();
    first.add("/x/one", "two");
    second.add("/y/three", "four");
    for (const RenamePlan* plan : {&first, &second}) {
        ASSERT_EQ(plan->items.size(), 4u);
        EXPECT_EQ(plan->items[0].path, base + "/a.txt");
        EXPECT_EQ(plan->items[2].path, base + "/sub/");
        EXPECT_EQ(newNames(*plan), (std::vector<std::string>{"b.txt", "kept.txt", "sub",
                                                             plan == &first ? "two" : "four"}));
        for (const RenamePlan::Item& item : plan->items) {
            EXPECT_EQ(item.path.data()[item.path.size()], '\0') << item.path;
            EXPECT_EQ(item.newName.data()[item.newName.size()], '\0') << item.path;
        }
    }
    EXPECT_EQ(first.items[3].path, "/x/one");
    EXPECT_EQ(second.items[3].path, "/y/three");
}

// A vanished file is planned from its path; a name that isn't UTF-8 stays as it is.
TEST(RenamePlan, PlansVanishedFilesAndLeavesNamesThatAreNotUtf8Unchanged) {
    TemporaryFolder folder;
    const std::string latin1 = "caf\xE9.txt";
    const RenamePlan plan = RenameEngine::plan({folder.path() / "gone.txt", folder.write(latin1)},
                                               {upper(), cropAll()}, true);
    EXPECT_EQ(newNames(plan), (std::vector<std::string>{".txt", latin1}));
    EXPECT_EQ(problems(plan), (std::vector<std::optional<Problem>>{Problem::empty, std::nullopt}));
    EXPECT_FALSE(plan.items[1].isChanged());
}

}  // namespace
}  // namespace tavix
