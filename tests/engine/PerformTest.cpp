#include <gtest/gtest.h>

#include <cerrno>

#include "ApplyCase.hpp"
#include "support/Files.hpp"
#include "support/SystemCallFaults.hpp"
#include "support/TemporaryFolder.hpp"
#include "system/FileSystem.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;
using test::filesIn;
using Files = std::map<std::string, std::string>;
using Lines = std::vector<std::string>;

// A folder of files, each holding its own name, and plans of moves within it.
class Perform : public ::testing::Test {
protected:
    Perform() {
        for (const char* name : {"a.txt", "b.txt", "c.txt", "photo.jpg"}) folder.write(name, name);
    }
    fs::path at(const std::string& name) const { return folder.path() / name; }
    RenamePlan changes(std::initializer_list<std::pair<std::string, std::string>> moves) const {
        RenamePlan plan;
        for (const auto& [from, to] : moves) plan.add(at(from).native(), to);
        return plan;
    }
    test::TemporaryFolder folder;
};

// Only changed items without problems move, and never onto a file that
// appeared after planning.
TEST_F(Perform, MovesOnlyChangedItemsWithoutProblemsAndNeverReplacesAFile) {
    RenamePlan plan = changes(
        {{"a.txt", "new.txt"}, {"b.txt", "b.txt"}, {"c.txt", "y.txt"}, {"photo.jpg", "d.jpg"}});
    plan.items[2].problem = RenamePlan::Problem::duplicate;
    folder.write("new.txt", "theirs");
    EXPECT_EQ(performed(plan), (Lines{"! Couldn't rename \u201Ca.txt\u201D to \u201Cnew.txt\u201D: "
                                      "File exists",
                                      "photo.jpg > d.jpg"}));
    EXPECT_EQ(filesIn(folder.path()), (Files{{"a.txt", "a.txt"}, {"b.txt", "b.txt"},
                                             {"c.txt", "c.txt"}, {"d.jpg", "photo.jpg"},
                                             {"new.txt", "theirs"}}));
}

// A change of letter case passes through a temporary name beside the file. When
// its second step fails, the file goes back to its old name, or, when that
// fails too, the message names where it is.
TEST_F(Perform, ACaseChangeWhoseSecondStepFailsLeavesTheFileFound) {
    {
        const test::MoveHook fault([&](const fs::path&, const fs::path& to) {
            return to == at("PHOTO.jpg") ? std::optional(EACCES) : std::nullopt;
        });
        EXPECT_EQ(performed(changes({{"photo.jpg", "PHOTO.jpg"}})),
                  Lines{"! Couldn't rename \u201Cphoto.jpg\u201D to \u201CPHOTO.jpg\u201D: "
                        "Permission denied"});
        EXPECT_EQ(filesIn(folder.path()).at("photo.jpg"), "photo.jpg");
    }
    const test::MoveHook fault([&](const fs::path& from, const fs::path&) {
        return from != at("photo.jpg") ? std::optional(EIO) : std::nullopt;
    });
    const Lines reported = performed(changes({{"photo.jpg", "PHOTO.jpg"}}));
    Files files = filesIn(folder.path());
    const auto left = std::ranges::find_if(
        files, [](const auto& file) { return file.first.ends_with("-PHOTO.jpg"); });
    ASSERT_NE(left, files.end());
    EXPECT_EQ(left->first.size(), 46u);  // a UUID, "-" and the new name
    EXPECT_EQ(left->second, "photo.jpg");
    EXPECT_EQ(reported, Lines{"! Couldn't rename \u201Cphoto.jpg\u201D to \u201CPHOTO.jpg\u201D: "
                              "Input/output error; the file is now named \u201C" +
                              left->first + "\u201D"});
}

// Two swaps and, in another folder, a 3-cycle, made in their move order, each
// folder's moves in that folder. Each swap is one exchange of names where the
// file system has it; where it refuses, the swaps (asking only once) and the
// 3-cycle go through a temporary name: the cycle's file that steps aside moves
// first and finishes last. When a move fails, no file is lost
// and none is left under a temporary name.
TEST(PerformInOrder, SwapsInOneStepBreaksCyclesAndKeepsEveryFileWhenAMoveFails) {
    struct Case {
        std::string name;
        bool exchanges;    // the file system swaps two names in one step
        char failingFrom;  // every rename of this file fails
        std::size_t renames;
        std::string reported;  // the moves as the batch reports them, "!" for a failure
        std::string left;      // each name and the contents it ends with
    };
    const std::string made = "a b c d x z y", swapped = "a=B b=A c=D d=C x=Z y=X z=Y";
    for (const Case& c : {Case{"every move is made", true, ' ', 1 + 1 + 4, made, swapped},
                          Case{"exchanges are refused", false, ' ', 1 + 3 + 3 + 4, made, swapped},
                          Case{"a move fails", true, 'a', 1 + 4 + 1 + 4, "!a !b c d x z y",
                               "a=A b=B c=D d=C x=Z y=X z=Y"},
                          // The file that steps aside can't: no file of its cycle moves.
                          Case{"a step aside fails", true, 'y', 1 + 1 + 3, "a b c d !y !x !z",
                               "a=B b=A c=D d=C x=X y=Y z=Z"}}) {
        SCOPED_TRACE(c.name);
        test::TemporaryFolder folder;
        const fs::path inner = folder.path() / "s";
        const auto at = [&](char name) {
            return (name < 'x' ? folder.path() : inner) / std::string(1, name);
        };
        RenamePlan plan;
        for (const char* move : {"ab", "ba", "cd", "dc", "xy", "yz", "zx"}) {
            folder.write(fs::relative(at(move[0]), folder.path()),
                         std::string(1, static_cast<char>(move[0] - 'a' + 'A')));
            plan.add(at(move[0]).native(), std::string(1, move[1]));
        }
        std::uint64_t bits = 0;
        const auto order = RenameEngine::orderMoves(RenameEngine::moveRequests(plan),
                                                    [&] { return ++bits; });
        const RenameEngine::Batch batch(plan, order);
        test::refuseExchanges(!c.exchanges);
        std::size_t renames = 0;
        const test::MoveHook fault([&](const fs::path& from, const fs::path&) {
            ++renames;
            return from == at(c.failingFrom) ? std::optional(EACCES) : std::nullopt;
        });
        std::string reported, left;
        batch.perform([&](std::size_t move, const RenameEngine::Applied::Failure* failure) {
            reported.append(reported.empty() ? "" : " ").append(failure ? "!" : "");
            reported.append(batch.item(move).originalName());
        });
        test::refuseExchanges(false);
        for (const fs::path& each : {folder.path(), inner})
            for (const auto& [name, contents] : filesIn(each))
                left.append(left.empty() ? "" : " ").append(name + "=" + contents);
        EXPECT_EQ(renames, c.renames);
        EXPECT_EQ(reported, c.reported);
        EXPECT_EQ(left, c.left);
    }
}

TEST(UndoChecked, PutsBackOnlyTheFilesItRecorded) {
    test::TemporaryFolder folder;
    using Kind = RenameEngine::UndoOutcome::Kind;
    const auto at = [&](const std::string& name) { return folder.path() / name; };
    // Each file holds its original name; a planned move records its identity.
    const auto planned = [&](const std::string& from, const std::string& to) {
        folder.write(from, from);
        const auto identity = FileSystem::identity(at(from));
        return PlannedMove{at(from), at(to), std::nullopt, identity, std::nullopt};
    };
    std::vector<PlannedMove> moves{planned("moved", "moved-1"),       planned("never", "never-1"),
                                   planned("replaced", "replaced-1"), planned("gone", "gone-1"),
                                   planned("photo.jpg", "PHOTO.jpg"), planned("taken", "taken-1")};
    moves[4].temporary = at("TMP-PHOTO.jpg");
    fs::rename(at("moved"), at("moved-1"));
    fs::rename(at("replaced"), at("replaced-1"));
    fs::rename(at("replaced-1"), at("elsewhere"));  // kept, so its inode isn't reused
    folder.write("replaced-1", "foreign");
    fs::rename(at("gone"), at("gone-1"));
    fs::remove(at("gone-1"));
    // Interrupted between the two steps of a change of letter case.
    fs::rename(at("photo.jpg"), at("TMP-PHOTO.jpg"));
    fs::rename(at("taken"), at("taken-1"));
    folder.write("taken", "newcomer");

    std::vector<Kind> kinds;
    for (const PlannedMove& move : moves) {
        const RenameEngine::UndoOutcome outcome = RenameEngine::undoChecked(move);
        kinds.push_back(outcome.kind);
        EXPECT_EQ(outcome.error, outcome.kind == Kind::failed ? std::errc::file_exists : std::errc());
    }
    EXPECT_EQ(kinds, (std::vector<Kind>{Kind::putBack, Kind::notMoved, Kind::anotherFile,
                                        Kind::missing, Kind::putBack, Kind::failed}));
    EXPECT_EQ(filesIn(folder.path()),
              (Files{{"elsewhere", "replaced"}, {"moved", "moved"}, {"never", "never"},
                     {"photo.jpg", "photo.jpg"}, {"replaced-1", "foreign"}, {"taken", "newcomer"},
                     {"taken-1", "taken"}}));
}

}  // namespace
}  // namespace tavix
