#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "model/StatusTexts.hpp"
#include "model/TavixModel.hpp"
#include "support/MoveHook.hpp"
#include "support/TemporaryFolder.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using Step = TavixModel::IdentifiedRule;
using Paths = std::vector<Location>;

// The model's own part of renaming: the list follows the moves, the undo record
// and the message; what happens to the files themselves is the engine's.
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
    Paths original;
    Paths renamed;
    TavixModel model;
};

TEST_F(RenameCommands, RenameThenUndoPointTheListAtTheNamesOnDisk) {
    ASSERT_TRUE(model.canRename());
    model.rename();
    EXPECT_EQ(model.message(), "Renamed 3 files.");
    EXPECT_EQ(model.files(), renamed);
    EXPECT_EQ(model.lastMoves(), (std::vector<Move>{{original[0], renamed[0]},
                                                    {original[1], renamed[1]},
                                                    {original[2], renamed[2]}}));
    EXPECT_EQ(model.plan().items[0].originalName, "new-a.txt");
    model.undo();
    EXPECT_EQ(model.message(), "Put 3 files back.");
    EXPECT_EQ(model.files(), original);
    EXPECT_FALSE(model.canUndo());
    EXPECT_TRUE(fs::exists(original[0]) && fs::exists(original[2]));
    model.undo();
    EXPECT_EQ(model.message(), "Put 0 files back.");
}

TEST_F(RenameCommands, UnchangedFilesAndFailuresKeepTheirPlaceInTheList) {
    model.setRules({Step::make(RenameRule::findReplace("b", "B", false, true, Occurrences::all))});
    model.rename();
    EXPECT_EQ(model.files(), (Paths{original[0], folder.path() / "B.txt", original[2]}));

    model.setRules({Step::make(RenameRule::addText("new-", Position::prefix))});
    fs::remove(original[2]);
    model.rename();
    EXPECT_THAT(*model.message(), StartsWith("Renamed 2; 1 failed \u2014 Couldn't rename"));
    EXPECT_THAT(*model.message(), HasSubstr("c.txt"));
    EXPECT_EQ(model.files(), (Paths{renamed[0], folder.path() / "new-B.txt", original[2]}));
}

TEST_F(RenameCommands, UndoThatCannotMoveAFileBackKeepsItListedWhereItIs) {
    model.rename();
    {
        const testing::MoveHook refuse([&](const fs::path&, const fs::path& to) {
            return to == original[1] ? std::optional(EACCES) : std::nullopt;
        });
        model.undo();
    }
    EXPECT_EQ(model.message(), "Put 2 files back.");
    EXPECT_EQ(model.files(), (Paths{original[0], renamed[1], original[2]}));
    EXPECT_FALSE(model.canUndo());
    EXPECT_EQ(model.plan().items[1].originalName, "new-b.txt");
}

// What each command does to the record of the last batch, and whether a
// rename that asks to clear the list does so. Acts: R rename, C ask to clear the
// list after renaming, X clear, N no steps, E edit the files and steps, a digit:
// delete that file from disk.
TEST(RenameUndoRecord, FollowsTheCommands) {
    const struct {
        std::string acts;
        std::size_t recorded, listed;
    } cases[] = {{"R", 3, 3},   {"0R", 2, 3}, {"RNR", 0, 3}, {"CR", 0, 0},
                 {"C2R", 2, 3}, {"RX", 0, 0}, {"RE", 3, 2}};
    for (const auto& c : cases) {
        testing::TemporaryFolder folder;
        TavixModel m;
        const Paths files{folder.write("a"), folder.write("b"), folder.write("c")};
        m.add(files);
        m.setRules({Step::make(RenameRule::addText("new-", Position::prefix))});
        for (char act : c.acts) {
            if (act == 'R') m.rename();
            if (act == 'C') m.setClearAfterRenaming(true);
            if (act == 'X') m.clear();
            if (act == 'N') m.setRules({});
            if (act == 'E') {
                m.remove({0}), m.sortByName(), m.addStep(), m.moveRules({0}, 2);
                m.setKeepExtension(false);
            }
            if (std::isdigit(act)) fs::remove(files[act - '0']);
        }
        EXPECT_EQ(m.lastMoves().size(), c.recorded) << c.acts;
        EXPECT_EQ(m.canUndo(), c.recorded > 0) << c.acts;
        EXPECT_EQ(m.files().size(), c.listed) << c.acts;
    }
}

TEST(RenameMessages, CountTheBatch) {
    EXPECT_EQ(StatusTexts::renamed(1, 3, "x"), "Renamed 1; 3 failed \u2014 x");
    EXPECT_EQ(StatusTexts::renamed(1, 0, "x") + StatusTexts::putBack(1),
              "Renamed 1 file.Put 1 file back.");
}

}  // namespace
}  // namespace tavix
