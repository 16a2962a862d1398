#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "model/TavixModel.hpp"
#include "support/Files.hpp"
#include "support/SystemCallFaults.hpp"
#include "support/TemporaryFolder.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;
using journal::NotPutBack;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using Step = TavixModel::IdentifiedRule;
using Paths = std::vector<Location>;
using Names = std::vector<std::string>;

// Lists files/a.txt, b.txt and c.txt of `folder` (each holding its name) to get
// the prefix "new-", journaled in `state` unless it is empty.
Paths listForPrefix(TavixModel& model, const test::TemporaryFolder& folder, const fs::path& state) {
    model.setStateFolder(state);
    const Paths files{folder.write("files/a.txt", "a.txt"), folder.write("files/b.txt", "b.txt"),
                      folder.write("files/c.txt", "c.txt")};
    model.add(files);
    model.setRules({Step::make(RenameRule{AddText{"new-", Position::prefix}})});
    return files;
}

// The model's own part of renaming: the journal, the list following the moves,
// the undo record, the messages and the progress told of each file; what
// happens to the files themselves is the engine's and the journal's.
class RenameCommands : public ::testing::Test {
protected:
    RenameCommands() {
        model.setProgress([this](std::size_t done, std::size_t) { reports.push_back(done); });
    }
    // The progress told since the last call.
    std::vector<std::size_t> told() { return std::exchange(reports, {}); }

    std::vector<std::size_t> reports;
    const std::vector<std::size_t> each{0, 1, 2, 3};
    test::TemporaryFolder folder;
    fs::path state = folder.path() / "state";
    TavixModel model;
    Paths original = listForPrefix(model, folder, state);
    fs::path files = folder.path() / "files";
    Paths renamed{files / "new-a.txt", files / "new-b.txt", files / "new-c.txt"};
};

// With a journal, and from memory when none can be made, the list follows the
// files there and back, each file is told as progress and nothing is left to
// undo; a batch that fails in part without a journal says both.
TEST_F(RenameCommands, RenameThenUndoWithAJournalOrWithout) {
    for (const bool journaled : {true, false}) {
        SCOPED_TRACE(journaled ? "journal" : "memory");
        if (!journaled) model.setStateFolder(folder.write("not-a-folder") / "state");
        model.rename();
        EXPECT_EQ(model.message(),
                  journaled ? "Renamed 3 files." : "Renamed 3 files. No journal was kept.");
        EXPECT_EQ(told(), each);
        EXPECT_EQ(model.lastMoves(), (std::vector<Move>{{original[0], renamed[0]},
                                                        {original[1], renamed[1]},
                                                        {original[2], renamed[2]}}));
        EXPECT_EQ(model.files(), renamed);
        model.undo();
        EXPECT_EQ(model.message(), "Put 3 files back.");
        EXPECT_EQ(told(), each);
        EXPECT_EQ(model.files(), original);
        EXPECT_EQ(test::namesIn(files), (Names{"a.txt", "b.txt", "c.txt"}));
        EXPECT_FALSE(model.canUndo());
        model.undo();
        EXPECT_EQ(model.message(), "Put 0 files back.");
        EXPECT_EQ(told(), (std::vector<std::size_t>{0, 0}));
    }

    fs::remove(original[2]);
    model.rename();
    EXPECT_EQ(model.message(),
              "Renamed 2; 1 failed \u2014 Couldn't rename \u201Cc.txt\u201D to "
              "\u201Cnew-c.txt\u201D: " +
                  std::string(std::strerror(ENOENT)) + ". No journal was kept.");
    EXPECT_EQ(model.files(), (Paths{renamed[0], renamed[1], original[2]}));
    model.setStateFolder(state);
    EXPECT_THAT(model.history().batches.at(0).by, StartsWith("tavix "));
}

// Undo moves back only what is still the file it moved, with the journal and,
// when none could be kept, from memory alike; what it leaves is named with why.
TEST(UndoCommand, LeavesWhatIsNoLongerOursWhereItIs) {
    for (const bool journaled : {true, false}) {
        for (const bool replaced : {true, false}) {  // else the move back fails
            test::TemporaryFolder box;
            TavixModel m;
            const Paths files =
                listForPrefix(m, box, journaled ? box.path() / "state" : fs::path());
            const fs::path moved = box.path() / "files" / "new-b.txt";
            m.rename();
            EXPECT_EQ(m.history().batches.size(), journaled ? 1u : 0u);
            // Made beside it first, so it can't take over the renamed file's inode.
            if (replaced) fs::rename(box.write("intruder", "intruder"), moved);
            {
                const test::MoveHook refuse([&](const fs::path&, const fs::path& to) {
                    return to == files[1] ? std::optional(EACCES) : std::nullopt;
                });
                m.undo();
            }
            const std::string reason =
                replaced ? "another file is there now" : std::strerror(EACCES);
            SCOPED_TRACE(reason + (journaled ? " (journal)" : " (memory)"));
            EXPECT_EQ(m.message(), "Put 2 files back.");
            EXPECT_EQ(m.notPutBack(), (std::vector<NotPutBack>{{moved, reason}}));
            EXPECT_EQ(m.files(), (Paths{files[0], moved, files[2]}));
            EXPECT_FALSE(m.canUndo());
            m.clear();
            EXPECT_TRUE(m.notPutBack().empty());
        }
    }
}

// The files go back whichever of the journal's last writes fails (its open,
// the state line, the sync); the message says the journal wasn't marked.
TEST(UndoCommand, PutsBackWhenTheJournalCannotBeMarkedUndone) {
    for (const int failing : {1, 2, 3}) {
        test::TemporaryFolder box;
        TavixModel m;
        const Paths files = listForPrefix(m, box, box.path() / "state");
        m.rename();
        const fs::path journal = m.history().batches.at(0).journal;
        int calls = 0;
        test::failWrites([&](const fs::path& path) -> std::optional<int> {
            return path == journal && ++calls == failing ? std::optional(ENOSPC) : std::nullopt;
        });
        m.undo();
        test::failWrites({});
        EXPECT_EQ(m.message(), "Put 3 files back. The journal couldn't be marked undone: " +
                                   std::string(std::strerror(ENOSPC)) + ".")
            << "write " << failing;
        EXPECT_EQ(m.files(), files);
    }
}

// Any batch of the history is undone by its journal; one already undone is
// refused and nothing moves. Undone so, the window's own last batch leaves
// nothing to undo, and an earlier one leaves it be.
TEST_F(RenameCommands, UndoesAnEarlierBatchFromTheHistory) {
    model.rename();  // batch 1: a, b and c
    model.clear();
    model.add({folder.write("files/d.txt", "d.txt")});
    model.rename();  // batch 2: d
    const auto history = model.history();
    ASSERT_EQ(history.batches.size(), 2u);
    told();
    model.undoBatch(history.batches[1].journal);
    EXPECT_EQ(model.message(), "Put 3 files back.");
    EXPECT_EQ(told(), each);
    EXPECT_EQ(test::namesIn(files), (Names{"a.txt", "b.txt", "c.txt", "new-d.txt"}));
    EXPECT_TRUE(model.canUndo());
    model.undoBatch(history.batches[1].journal);
    EXPECT_THAT(*model.message(), StartsWith("Put 0 files back. Journal \u201C"));
    EXPECT_THAT(*model.message(), HasSubstr("already undone"));
    EXPECT_TRUE(told().empty());  // refused before it starts
    model.undoBatch(history.batches[0].journal);
    EXPECT_EQ(model.message(), "Put 1 file back.");
    EXPECT_FALSE(model.canUndo());
    EXPECT_EQ(model.files(), (Paths{folder.path() / "files" / "d.txt"}));

    // A folder others may write is not read.
    fs::permissions(journal::journalFolder(state), fs::perms::others_write, fs::perm_options::add);
    EXPECT_THAT(model.history().error.value_or(""), HasSubstr("writable by others"));
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
        test::TemporaryFolder folder;
        TavixModel m;
        const Paths files = listForPrefix(m, folder, folder.path() / "state");
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
        EXPECT_EQ(std::tuple(m.lastMoves().size(), m.canUndo(), m.files().size()),
                  std::tuple(c.recorded, c.recorded > 0, c.listed))
            << c.acts;
    }
}

}  // namespace
}  // namespace tavix
