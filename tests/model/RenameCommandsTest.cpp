#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "model/StatusTexts.hpp"
#include "model/TavixModel.hpp"
#include "system/FileSystem.hpp"
#include "support/TemporaryFolder.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using Step = TavixModel::IdentifiedRule;

std::string contentsOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::ranges::sort(names);
    return names;
}

// Fails every move for which `fails` says so, with `error`, until it ends.
class MoveFault {
public:
    MoveFault(std::function<bool(const fs::path& from, const fs::path& to)> fails, int error) {
        FileSystem::testing::failMovesTo(
            [fails, error](const fs::path& from, const fs::path& to) -> std::optional<int> {
                if (fails(from, to)) return error;
                return std::nullopt;
            });
    }
    ~MoveFault() { FileSystem::testing::failMovesTo({}); }
    MoveFault(const MoveFault&) = delete;
    MoveFault& operator=(const MoveFault&) = delete;
};

// a.txt, b.txt and c.txt, each holding its own name, listed in that order, with
// one step that puts "new-" in front of every name.
class RenameCommands : public ::testing::Test {
protected:
    RenameCommands() {
        for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
            original.push_back(folder.write(name, name));
            renamed.push_back(folder.path() / (std::string("new-") + name));
        }
        model.add(original);
        model.setRules({Step::make(RenameRule::addText("new-", Position::prefix))});
    }

    testing::TemporaryFolder folder;
    std::vector<Location> original;
    std::vector<Location> renamed;
    TavixModel model;
};

TEST_F(RenameCommands, RenameMovesEveryFileAndPointsTheListAtTheNewNames) {
    ASSERT_TRUE(model.canRename());
    model.rename();
    EXPECT_EQ(model.message(), "Renamed 3 files.");
    EXPECT_EQ(model.files(), renamed);
    EXPECT_THAT(model.lastMoves(),
                ElementsAre(Move{original[0], renamed[0]}, Move{original[1], renamed[1]},
                            Move{original[2], renamed[2]}));
    EXPECT_TRUE(model.canUndo());
    EXPECT_THAT(namesIn(folder.path()), ElementsAre("new-a.txt", "new-b.txt", "new-c.txt"));
    EXPECT_EQ(contentsOf(renamed[1]), "b.txt");
    // The plan now previews the renamed files.
    EXPECT_EQ(model.plan().items[0].originalName, "new-a.txt");
}

TEST_F(RenameCommands, UnchangedFilesKeepTheirPlace) {
    model.setRules({Step::make(RenameRule::findReplace("b", "B", false, true, Occurrences::all))});
    model.rename();
    EXPECT_EQ(model.message(), "Renamed 1 file.");
    EXPECT_EQ(model.files(),
              (std::vector<fs::path>{original[0], folder.path() / "B.txt", original[2]}));
}

TEST_F(RenameCommands, ADestinationThatAppearedAfterPlanningIsNotOverwritten) {
    folder.write("new-a.txt", "someone else's");
    model.rename();
    EXPECT_THAT(*model.message(), StartsWith("Renamed 2; 1 failed \u2014 "));
    EXPECT_THAT(*model.message(), HasSubstr("a.txt"));
    EXPECT_EQ(contentsOf(renamed[0]), "someone else's");
    EXPECT_EQ(contentsOf(original[0]), "a.txt");
    EXPECT_EQ(model.files(), (std::vector<fs::path>{original[0], renamed[1], renamed[2]}));
    EXPECT_EQ(model.lastMoves().size(), 2u);
}

TEST_F(RenameCommands, AFileDeletedAfterPlanningFailsAloneAndStaysListed) {
    fs::remove(original[1]);
    model.rename();
    EXPECT_THAT(*model.message(), StartsWith("Renamed 2; 1 failed \u2014 "));
    EXPECT_THAT(*model.message(), HasSubstr("No such file or directory"));
    EXPECT_EQ(model.files(), (std::vector<fs::path>{renamed[0], original[1], renamed[2]}));
    EXPECT_THAT(namesIn(folder.path()), ElementsAre("new-a.txt", "new-c.txt"));
}

TEST_F(RenameCommands, ANameTooLongForTheFileSystemFailsAlone) {
    model.setRules({Step::make(RenameRule::findReplace("b", std::string(300, 'x'), false, true,
                                                       Occurrences::all)),
                    Step::make(RenameRule::addText("new-", Position::prefix))});
    ASSERT_TRUE(model.canRename());
    model.rename();
    EXPECT_THAT(*model.message(), StartsWith("Renamed 2; 1 failed \u2014 "));
    EXPECT_THAT(*model.message(), HasSubstr("File name too long"));
    EXPECT_EQ(model.files(), (std::vector<fs::path>{renamed[0], original[1], renamed[2]}));
    EXPECT_EQ(contentsOf(original[1]), "b.txt");
}

TEST_F(RenameCommands, ClearAfterRenamingEmptiesTheListAfterACleanBatch) {
    model.setClearAfterRenaming(true);
    model.rename();
    EXPECT_EQ(model.message(), "Renamed 3 files.");
    EXPECT_TRUE(model.files().empty());
    EXPECT_TRUE(model.plan().items.empty());
    EXPECT_FALSE(model.canUndo());
    EXPECT_THAT(namesIn(folder.path()), ElementsAre("new-a.txt", "new-b.txt", "new-c.txt"));
}

TEST_F(RenameCommands, ClearAfterRenamingKeepsEverythingAfterAFailure) {
    model.setClearAfterRenaming(true);
    fs::remove(original[2]);
    model.rename();
    EXPECT_EQ(model.files(), (std::vector<fs::path>{renamed[0], renamed[1], original[2]}));
    EXPECT_EQ(model.lastMoves().size(), 2u);
}

TEST_F(RenameCommands, UndoPutsTheFilesBackAndListsThemUnderTheirOldNames) {
    model.rename();
    model.undo();
    EXPECT_EQ(model.message(), "Put 3 files back.");
    EXPECT_EQ(model.files(), original);
    EXPECT_FALSE(model.canUndo());
    EXPECT_THAT(namesIn(folder.path()), ElementsAre("a.txt", "b.txt", "c.txt"));
    EXPECT_EQ(contentsOf(original[0]), "a.txt");
}

TEST_F(RenameCommands, UndoWithNothingRecordedMovesNothing) {
    model.undo();
    EXPECT_EQ(model.message(), "Put 0 files back.");
    EXPECT_EQ(model.files(), original);
    EXPECT_THAT(namesIn(folder.path()), ElementsAre("a.txt", "b.txt", "c.txt"));
}

TEST_F(RenameCommands, UndoThatCannotMoveAFileBackKeepsItListedWhereItIs) {
    model.rename();
    {
        const MoveFault fault(
            [&](const fs::path&, const fs::path& to) { return to == original[1]; }, EACCES);
        model.undo();
    }
    EXPECT_EQ(model.message(), "Put 2 files back.");
    EXPECT_EQ(model.files(), (std::vector<fs::path>{original[0], renamed[1], original[2]}));
    EXPECT_THAT(namesIn(folder.path()), ElementsAre("a.txt", "c.txt", "new-b.txt"));
    EXPECT_FALSE(model.canUndo());
    // The file that stayed is still previewed, under the name it has now.
    EXPECT_EQ(model.plan().items[1].originalName, "new-b.txt");
}

TEST_F(RenameCommands, UndoAfterAPartialRenamePutsBackOnlyWhatMoved) {
    {
        const MoveFault fault(
            [&](const fs::path& from, const fs::path&) { return from == original[0]; }, EACCES);
        model.rename();
    }
    EXPECT_THAT(*model.message(), StartsWith("Renamed 2; 1 failed \u2014 "));
    EXPECT_THAT(*model.message(), HasSubstr("Permission denied"));
    model.undo();
    EXPECT_EQ(model.message(), "Put 2 files back.");
    EXPECT_EQ(model.files(), original);
    EXPECT_THAT(namesIn(folder.path()), ElementsAre("a.txt", "b.txt", "c.txt"));
}

TEST_F(RenameCommands, ASecondRenameReplacesTheUndoRecord) {
    model.rename();
    model.rename();
    EXPECT_THAT(namesIn(folder.path()),
                ElementsAre("new-new-a.txt", "new-new-b.txt", "new-new-c.txt"));
    model.undo();
    EXPECT_EQ(model.files(), renamed);
    EXPECT_THAT(namesIn(folder.path()), ElementsAre("new-a.txt", "new-b.txt", "new-c.txt"));
}

TEST_F(RenameCommands, AChangeOfLetterCaseOnlyIsRenamedAndUndone) {
    model.setRules({Step::make(RenameRule::changeCase(CaseStyle::upper))});
    model.rename();
    EXPECT_EQ(model.message(), "Renamed 3 files.");
    EXPECT_THAT(namesIn(folder.path()), ElementsAre("A.txt", "B.txt", "C.txt"));
    model.undo();
    EXPECT_EQ(model.message(), "Put 3 files back.");
    EXPECT_EQ(model.files(), original);
    EXPECT_THAT(namesIn(folder.path()), ElementsAre("a.txt", "b.txt", "c.txt"));
}

struct RecordCase {
    std::string name;
    std::function<void(TavixModel&, const std::vector<Location>& files)> act;
    std::size_t recorded;
};

std::ostream& operator<<(std::ostream& out, const RecordCase& c) {
    return out << c.name;
}

class RenameUndoRecord : public RenameCommands, public ::testing::WithParamInterface<RecordCase> {};

// What each command does to the record of the last batch.
TEST_P(RenameUndoRecord, FollowsTheCommands) {
    const auto& c = GetParam();
    c.act(model, original);
    EXPECT_EQ(model.lastMoves().size(), c.recorded) << c.name;
    EXPECT_EQ(model.canUndo(), c.recorded > 0) << c.name;
}

void renameAll(TavixModel& m, const std::vector<Location>&) {
    m.rename();
}

INSTANTIATE_TEST_SUITE_P(
    States, RenameUndoRecord,
    ::testing::Values(RecordCase{"at the start", [](TavixModel&, const auto&) {}, 0},
                      RecordCase{"after a rename", renameAll, 3},
                      RecordCase{"after a rename with a failure",
                                 [](TavixModel& m, const auto& files) {
                                     fs::remove(files[0]);
                                     m.rename();
                                 },
                                 2},
                      RecordCase{"after a rename that moved nothing",
                                 [](TavixModel& m, const auto&) {
                                     m.rename();
                                     m.setRules({});
                                     m.rename();
                                 },
                                 0},
                      RecordCase{"after a rename where every file failed",
                                 [](TavixModel& m, const auto&) {
                                     m.rename();
                                     for (const auto& file : m.files()) fs::remove(file);
                                     m.rename();
                                 },
                                 0},
                      RecordCase{"after a clean rename that clears the list",
                                 [](TavixModel& m, const auto&) {
                                     m.setClearAfterRenaming(true);
                                     m.rename();
                                 },
                                 0},
                      RecordCase{"after a failing rename that would clear the list",
                                 [](TavixModel& m, const auto& files) {
                                     m.setClearAfterRenaming(true);
                                     fs::remove(files[2]);
                                     m.rename();
                                 },
                                 2},
                      RecordCase{"after undo",
                                 [](TavixModel& m, const auto&) {
                                     m.rename();
                                     m.undo();
                                 },
                                 0},
                      RecordCase{"after clear",
                                 [](TavixModel& m, const auto&) {
                                     m.rename();
                                     m.clear();
                                 },
                                 0},
                      RecordCase{"after files are added, removed and sorted",
                                 [](TavixModel& m, const auto&) {
                                     m.rename();
                                     m.add({});
                                     m.remove({0});
                                     m.sortByName();
                                     m.sortByDate();
                                 },
                                 3},
                      RecordCase{"after the steps are edited",
                                 [](TavixModel& m, const auto&) {
                                     m.rename();
                                     m.addStep();
                                     m.moveRules({0}, 2);
                                     m.removeSelected();
                                     m.setKeepExtension(false);
                                 },
                                 3}));

struct MessageCase {
    std::size_t moved;
    std::size_t failed;
    std::string text;
};

class RenameMessages : public ::testing::TestWithParam<MessageCase> {};

TEST_P(RenameMessages, CountTheBatch) {
    const auto& c = GetParam();
    EXPECT_EQ(StatusTexts::renamed(c.moved, c.failed, "Couldn't rename \u201Cx\u201D"), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, RenameMessages,
    ::testing::Values(MessageCase{0, 0, "Renamed 0 files."}, MessageCase{1, 0, "Renamed 1 file."},
                      MessageCase{12, 0, "Renamed 12 files."},
                      MessageCase{2, 1, "Renamed 2; 1 failed \u2014 Couldn't rename \u201Cx\u201D"},
                      MessageCase{1, 3,
                                  "Renamed 1; 3 failed \u2014 Couldn't rename \u201Cx\u201D"}));

TEST(RenameMessages, UndoCountsTheFilesPutBack) {
    EXPECT_EQ(StatusTexts::putBack(0), "Put 0 files back.");
    EXPECT_EQ(StatusTexts::putBack(1), "Put 1 file back.");
    EXPECT_EQ(StatusTexts::putBack(3), "Put 3 files back.");
}

}  // namespace
}  // namespace tavix
