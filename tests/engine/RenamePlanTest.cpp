#include <gtest/gtest.h>

#include <optional>

#include "ApplyCase.hpp"
#include "rules/Catalogue.hpp"
#include "support/TemporaryFolder.hpp"

namespace tavix {
namespace {

using Names = std::vector<std::string>;
using test::TemporaryFolder;

const RenameRule upper{ChangeCase{CaseStyle::upper}};
const RenameRule cropAll{Crop{CropMode::removeFirst, 1000}};
RenameRule replace(std::string find, std::string with) {
    return RenameRule{FindReplace{std::move(find), std::move(with), false, true, Occurrences::all}};
}

struct ExtensionCase {
    std::string name;
    bool keepExtension;
    RenameRule rule;
    std::string planned;  // as printed()
};

class ExtensionSplitting : public ::testing::TestWithParam<ExtensionCase> {};

TEST_P(ExtensionSplitting, KeepsTheExtensionOutOfTheSteps) {
    const auto& c = GetParam();
    TemporaryFolder folder;
    const RenamePlan plan = RenameEngine::plan({folder.write(c.name)}, {c.rule}, c.keepExtension);
    EXPECT_EQ(plan.items.at(0).originalName(), c.name);
    EXPECT_EQ(printed(plan), Names{c.planned});
}

INSTANTIATE_TEST_SUITE_P(RenamePlan, ExtensionSplitting,
                         ::testing::ValuesIn(std::vector<ExtensionCase>{
                             {"report.final.pdf", true, upper, "REPORT.FINAL.pdf"},
                             {"report.final.pdf", false, upper, "REPORT.FINAL.PDF"},
                             {".profile", true, upper, ".PROFILE"},
                             {"trailing.", true, upper, "TRAILING."},
                             {"noext", true, upper, "NOEXT"},
                             // A step that adds a dot does not move the extension.
                             {"a.txt", true, RenameRule{AddText{".tar", Position::suffix}},
                              "a.tar.txt"},
                             {"a.txt", true, cropAll, ".txt !empty"},
                             {"a.txt", true, replace("a", " \t "), " \t .txt !empty"},
                             {"a.txt", true, replace("a", " x "), " x .txt"},
                             {"a.txt", true, replace("a", "b/c"), "b/c.txt !illegal"},
                             {"a.txt", true, replace("a", "b:c"), "b:c.txt !illegal"},
                             // No file system can hold NUL: the name would be cut at it.
                             {"a.txt", true, replace("a", std::string("b\0c", 3)),
                              std::string("b\0c.txt !illegal", 16)}}));

TEST(RenamePlan, MarksEveryMemberOfAClashIgnoringCaseCompositionAndFolders) {
    TemporaryFolder folder;
    // x.txt becomes a.txt, which clashes with the unchanged A.TXT in another
    // folder; a precomposed capital É and e + U+0301 are the same name once lowercased.
    const RenamePlan plan = RenameEngine::plan(
        {folder.write("one/x.txt"), folder.write("two/A.TXT"), folder.write("three/b.txt"),
         folder.write("four/\u00C9t\u00E9"), folder.write("five/e\u0301te\u0301")},
        {replace("x", "a")}, true);
    EXPECT_EQ(printed(plan), (Names{"a.txt !duplicate", "A.TXT !duplicate", "b.txt",
                                    "\u00C9t\u00E9 !duplicate", "e\u0301te\u0301 !duplicate"}));
    EXPECT_EQ(plan.changedCount(), 0u);
    EXPECT_TRUE(plan.hasProblems());
}

TEST(RenamePlan, ExistsOnlyForChangedItemsWhoseDestinationIsTaken) {
    TemporaryFolder folder;
    const auto a = folder.write("a.txt");
    const auto b = folder.write("b.txt");
    // a ↔ b is a swap: both destinations exist now, so both are blocked.
    const RenamePlan swap =
        RenameEngine::plan({a, b}, {replace("a", "@"), replace("b", "a"), replace("@", "b")}, true);
    EXPECT_EQ(printed(swap), (Names{"b.txt !exists", "a.txt !exists"}));
    const RenamePlan unchanged = RenameEngine::plan({a}, {replace("zzz", "y")}, true);
    EXPECT_EQ(printed(unchanged), Names{"a.txt"});
    EXPECT_FALSE(unchanged.items[0].isChanged());
}

// A case-only change is not blocked by the file itself, but by any other entry.
TEST(RenamePlan, AnotherEntryAtTheDestinationExistsEvenIfItIsTheSameFile) {
    TemporaryFolder folder;
    const auto a = folder.write("photo.jpg");
    const RenamePlan caseOnly = RenameEngine::plan({a}, {upper}, true);
    EXPECT_EQ(printed(caseOnly), Names{"PHOTO.jpg"});
    EXPECT_EQ(caseOnly.changedCount(), 1u);
    folder.write("PHOTO.jpg");
    EXPECT_EQ(printed(RenameEngine::plan({a}, {upper}, true)), Names{"PHOTO.jpg !exists"});
}

TEST(RenamePlan, NumbersFilesInListOrderAndGivesFreshIds) {
    TemporaryFolder folder;
    const auto a = folder.write("a.txt");
    const auto b = folder.write("b.txt");
    const auto rules = std::vector<RenameRule>{blank(RuleAction::sequence)};
    const RenamePlan first = RenameEngine::plan({b, a}, rules, true);
    EXPECT_EQ(printed(first), (Names{"b-01.txt", "a-02.txt"}));
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
    auto planned =
        std::make_optional(RenameEngine::plan(std::move(files), {replace("a", "b")}, true));
    EXPECT_TRUE(files.empty());
    RenamePlan first = *planned;
    RenamePlan second = *planned;
    planned.reset();
    first.add("/x/one", "two");
    second.add("/y/three", "four");
    for (const RenamePlan* plan : {&first, &second}) {
        const bool one = plan == &first;
        EXPECT_EQ(printed(*plan, true),
                  (Names{base + "/a.txt > b.txt", base + "/kept.txt > kept.txt",
                         base + "/sub/ > sub", one ? "/x/one > two" : "/y/three > four"}));
        for (const RenamePlan::Item& item : plan->items) {
            EXPECT_EQ(item.path.data()[item.path.size()], '\0') << item.path;
            EXPECT_EQ(item.newName.data()[item.newName.size()], '\0') << item.path;
        }
    }
}

// A vanished file is planned from its path; a name that isn't UTF-8 stays as it is.
TEST(RenamePlan, PlansVanishedFilesAndLeavesNamesThatAreNotUtf8Unchanged) {
    TemporaryFolder folder;
    const std::string latin1 = "caf\xE9.txt";
    const RenamePlan plan = RenameEngine::plan({folder.path() / "gone.txt", folder.write(latin1)},
                                               {upper, cropAll}, true);
    EXPECT_EQ(printed(plan), (Names{".txt !empty", latin1}));
    EXPECT_FALSE(plan.items[1].isChanged());
}

}  // namespace
}  // namespace tavix
