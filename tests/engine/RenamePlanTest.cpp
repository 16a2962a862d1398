#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <tuple>

#include "ApplyCase.hpp"
#include "engine/Chains.hpp"
#include "engine/NameDiff.hpp"
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

// Files written in a folder (a name after "+" is not in the list, one after
// "-" is listed but never written), the steps and whether the extension is
// kept, the plan as printed() with "|" between items, how many items change,
// and, where given, the first item's problem as the programs tell it.
struct Case {
    std::string files;
    std::vector<RenameRule> steps;
    bool keepExtension;
    std::string planned;
    std::size_t changed;
    std::string told = {};
};

class Plans : public ::testing::TestWithParam<Case> {};

TEST_P(Plans, GiveEachItemItsNewNameOrItsProblem) {
    const Case& c = GetParam();
    TemporaryFolder folder;
    std::vector<Location> files;
    std::istringstream in(c.files);
    for (std::string name; in >> name;) {
        if (name[0] == '+') folder.write(name.substr(1));
        else files.push_back(name[0] == '-' ? folder.path() / name.substr(1) : folder.write(name));
    }
    const RenamePlan plan = RenameEngine::plan(std::move(files), c.steps, c.keepExtension);
    std::string planned;
    for (const std::string& line : printed(plan))
        planned.append(planned.empty() ? "" : "|").append(line);
    EXPECT_EQ(planned, c.planned);
    EXPECT_EQ(plan.changedCount(), c.changed);
    if (!c.told.empty()) {
        EXPECT_EQ(rawValue(plan.items.at(0).problem.value()), c.told);
    }
}

INSTANTIATE_TEST_SUITE_P(
    RenamePlan, Plans,
    ::testing::ValuesIn(std::vector<Case>{
        {"report.final.pdf", {upper}, true, "REPORT.FINAL.pdf", 1},
        {"report.final.pdf", {upper}, false, "REPORT.FINAL.PDF", 1},
        // A step that adds a dot does not move the extension.
        {"a.txt", {RenameRule{AddText{".tar", Position::suffix}}}, true, "a.tar.txt", 1},
        {"a.txt", {cropAll}, true, ".txt !empty", 0, "Name would be empty"},
        {"a.txt", {replace("a", " \t ")}, true, " \t .txt !empty", 0},
        {"a.txt", {replace("a", " x ")}, true, " x .txt", 1},
        {"a.txt", {replace("a", "b/c")}, true, "b/c.txt !illegal", 0},
        {"a.txt", {replace("a", "b:c")}, true, "b:c.txt !illegal", 0},
        // No file system can hold NUL: the name would be cut at it.
        {"a.txt", {replace("a", std::string("b\0c", 3))}, true,
         std::string("b\0c.txt !illegal", 16), 0},
        // x.txt becomes a.txt, which clashes with the unchanged A.TXT in another
        // folder; a precomposed capital \u00C9 and e + U+0301 are the same name
        // once lowercased.
        {"one/x.txt two/A.TXT three/b.txt four/\u00C9t\u00E9 five/e\u0301te\u0301",
         {replace("x", "a")}, true,
         "a.txt !duplicate|A.TXT !duplicate|b.txt|\u00C9t\u00E9 !duplicate|"
         "e\u0301te\u0301 !duplicate", 0},
        {"a.txt", {replace("zzz", "y")}, true, "a.txt", 0},
        // A change of case only is not blocked by the file itself, but by any other entry.
        {"photo.jpg", {upper}, true, "PHOTO.jpg", 1},
        {"photo.jpg +PHOTO.jpg", {upper}, true, "PHOTO.jpg !exists", 0},
        {"b.txt a.txt", {blank(RuleAction::sequence)}, true, "b-01.txt|a-02.txt", 2},
        // A vanished file is planned from its path; a name that isn't UTF-8 stays.
        {"-gone.txt caf\xE9.txt", {upper, cropAll}, true, ".txt !empty|caf\xE9.txt", 0}}));

TEST(RenamePlan, GivesFreshIds) {
    TemporaryFolder folder;
    const std::vector<Location> files{folder.write("a.txt")};
    EXPECT_NE(RenameEngine::plan(files, {upper}, true).items[0].id,
              RenameEngine::plan(files, {upper}, true).items[0].id);
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

// Files on disk outside the batch, the batch's renames, and the plan once the
// names the batch gives up are freed.
TEST(Chains, FreeNamesThatTheBatchGivesUp) {
    const std::tuple<std::string, std::string, Names> cases[] = {
        {"", "a>b b>a", {"b", "a"}},
        {"", "a>b b>c c>a", {"b", "c", "a"}},
        {"f3", "f1>f2 f2>f3", {"f2 !exists", "f3 !exists"}},
        // A chain ending in a file that can't move.
        {"", "a>b b>c c>x/y", {"b !exists", "c !exists", "x/y !illegal"}},
        // A chain that reaches a file an earlier chain freed is freed, whatever
        // the chain just before it came to.
        {"", "b>c c>d e>f f>x/y a>b", {"c", "d", "f !exists", "x/y !illegal", "b"}},
        {"", "a>c b>c c>d", {"c !duplicate", "c !duplicate", "d"}},
        // "B" is another file than the batch's "b": "a" stays, and so "b" can't
        // have its name.
        {"B", "a>B b>a", {"B !exists", "a !exists"}}};
    for (const auto& [outside, renames, planned] : cases) {
        TemporaryFolder folder;
        std::istringstream outsideNames(outside), moves(renames);
        for (std::string name; outsideNames >> name;) folder.write(name);
        std::vector<Location> files;
        Names names;
        for (std::string rename; moves >> rename;) {
            files.push_back(folder.write(rename.substr(0, rename.find('>'))));
            names.push_back(rename.substr(rename.find('>') + 1));
        }
        RenamePlan plan = RenameEngine::planNames(std::move(files), names);
        RenameEngine::freeChains(plan);
        EXPECT_EQ(printed(plan), planned) << renames;
    }
}

struct DiffCase {
    std::string oldName;
    std::string newName;
    std::optional<TextSpan> range;  // in characters
    std::string marked;             // the marked text, as bytes of the new name
};

class ChangedStretch : public ::testing::TestWithParam<DiffCase> {};

TEST_P(ChangedStretch, MarksExactlyTheNewCharacters) {
    const auto& c = GetParam();
    EXPECT_EQ(NameDiff::changedRange(c.oldName, c.newName), c.range);
    // The new name, and its marked text when asked to mark it.
    const auto marked = [&](bool mark) -> std::pair<std::string, std::optional<std::string>> {
        const AttributedName name = NameDiff::attributed(c.oldName, c.newName, mark);
        if (!name.marked) return {name.text, std::nullopt};
        const std::size_t start = name.marked->start;
        return {name.text, name.text.substr(start, name.marked->end - start)};
    };
    EXPECT_EQ(marked(true), std::pair(c.newName, c.range ? std::optional(c.marked) : std::nullopt));
    EXPECT_EQ(marked(false), std::pair(c.newName, std::optional<std::string>()));
}

INSTANTIATE_TEST_SUITE_P(
    NameDiff, ChangedStretch,
    ::testing::ValuesIn(std::vector<DiffCase>{
        {"same", "same", std::nullopt, ""},
        {"abc", "ac", std::nullopt, ""},
        {"aaa", "aaaa", TextSpan{3, 4}, "a"},
        {"photo", "PHOTO", TextSpan{0, 5}, "PHOTO"},
        {"", "new", TextSpan{0, 3}, "new"},
        {"IMG_1.jpg", "IMG_0001.jpg", TextSpan{4, 7}, "000"},
        // Canonically equivalent names are equal; characters compare as wholes.
        {"caf\u00E9", "cafe\u0301", std::nullopt, ""},
        {"cafe.txt", "cafe\u0301.txt", TextSpan{3, 4}, "e\u0301"},
        {"\U0001F44D.txt", "\U0001F44D\U0001F3FD.txt", TextSpan{0, 1}, "\U0001F44D\U0001F3FD"}}));

}  // namespace
}  // namespace tavix
