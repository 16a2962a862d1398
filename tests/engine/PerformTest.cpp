#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "engine/Perform.hpp"
#include "support/Files.hpp"
#include "support/SystemCallFaults.hpp"
#include "support/TemporaryFolder.hpp"
#include "system/FileSystem.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;
using test::TemporaryFolder;

using test::contentsOf;
using test::namesIn;

// A plan that moves each file to its new name.
RenamePlan changes(std::initializer_list<std::pair<fs::path, std::string>> moves) {
    RenamePlan plan;
    for (const auto& [path, newName] : moves) plan.add(path.native(), newName);
    return plan;
}

// Records every move while it lives.
struct MoveRecorder {
    std::vector<Move> moves;
    test::MoveHook hook{[this](const fs::path& from, const fs::path& to) {
        return moves.push_back({from, to}), std::optional<int>();
    }};
};

TEST(Perform, MovesOnlyChangedItemsWithoutProblems) {
    TemporaryFolder folder;
    const auto a = folder.write("a.txt", "A");
    const auto b = folder.write("b.txt", "B");
    const auto c = folder.write("c.txt", "C");
    RenamePlan plan = changes({{a, "x.txt"}, {b, "b.txt"}, {c, "y.txt"}});
    plan.items[2].problem = RenamePlan::Problem::duplicate;
    const auto applied = RenameEngine::perform(plan);
    EXPECT_EQ(applied.moves, (std::vector<Move>{{a, folder.path() / "x.txt"}}));
    EXPECT_TRUE(applied.failures.empty());
    EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"b.txt", "c.txt", "x.txt"}));
}

TEST(Perform, ChangesLetterCaseThroughATemporaryName) {
    TemporaryFolder folder;
    const auto notes = folder.write("notes.txt", "n");
    const MoveRecorder recorder;
    const auto applied = RenameEngine::perform(changes({{notes, "Notes.txt"}}));
    EXPECT_EQ(applied.moves, (std::vector<Move>{{notes, folder.path() / "Notes.txt"}}));
    ASSERT_EQ(recorder.moves.size(), 2u);
    const std::string temporary = recorder.moves[0].to.filename();
    EXPECT_EQ(temporary.size(), 46u);
    EXPECT_TRUE(temporary.ends_with("-Notes.txt"));
    EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"Notes.txt"}));
}

TEST(Perform, NeverReplacesAFileThatAppearedAfterPlanning) {
    TemporaryFolder folder;
    const auto a = folder.write("a.txt", "mine");
    const auto c = folder.write("c.txt", "C");
    const RenamePlan plan = changes({{a, "b.txt"}, {c, "d.txt"}});
    folder.write("b.txt", "theirs");
    const auto applied = RenameEngine::perform(plan);
    ASSERT_EQ(applied.failures.size(), 1u);
    EXPECT_EQ(applied.failures[0].path, a);
    EXPECT_EQ(applied.failures[0].message,
              "Couldn't rename \u201Ca.txt\u201D to \u201Cb.txt\u201D: File exists");
    EXPECT_EQ(contentsOf(folder.path() / "b.txt"), "theirs");
    EXPECT_EQ(contentsOf(a), "mine");
    EXPECT_EQ(applied.moves, (std::vector<Move>{{c, folder.path() / "d.txt"}}));
}

TEST(Perform, PutsACaseChangeBackWhenItsSecondStepFails) {
    TemporaryFolder folder;
    const auto photo = folder.write("photo.jpg", "p");
    const auto dest = folder.path() / "PHOTO.jpg";
    const test::MoveHook fault([&](const fs::path&, const fs::path& to) {
        return to == dest ? std::optional(EACCES) : std::nullopt;
    });
    const auto applied = RenameEngine::perform(changes({{photo, "PHOTO.jpg"}}));
    ASSERT_EQ(applied.failures.size(), 1u);
    EXPECT_EQ(applied.failures[0].message,
              "Couldn't rename \u201Cphoto.jpg\u201D to \u201CPHOTO.jpg\u201D: Permission denied");
    EXPECT_TRUE(applied.moves.empty());
    EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"photo.jpg"}));
}

TEST(Perform, NamesTheTemporaryFileWhenItCannotGoBack) {
    TemporaryFolder folder;
    const auto photo = folder.write("photo.jpg", "p");
    const test::MoveHook fault([&](const fs::path& from, const fs::path&) {
        return from != photo ? std::optional(EIO) : std::nullopt;
    });
    const auto applied = RenameEngine::perform(changes({{photo, "PHOTO.jpg"}}));
    ASSERT_EQ(applied.failures.size(), 1u);
    const auto names = namesIn(folder.path());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(names[0].ends_with("-PHOTO.jpg"));
    EXPECT_EQ(applied.failures[0].message,
              "Couldn't rename \u201Cphoto.jpg\u201D to \u201CPHOTO.jpg\u201D: Input/output error; "
              "the file is now named \u201C" +
                  names[0] + "\u201D");
}

// Undo goes last move first, changes letter case back through a temporary
// name, and skips a move whose old name is taken again.
// A swap and a 3-cycle, made in their move order: each cycle's file that steps
// aside first; when a move of a cycle fails, no file is lost and none is left
// under a temporary name.
TEST(PerformInOrder, BreaksCyclesAndKeepsEveryFileWhenAMoveFails) {
    for (const bool failing : {false, true}) {
        SCOPED_TRACE(failing ? "a move fails" : "every move is made");
        TemporaryFolder folder;
        const auto a = folder.write("a", "A");
        const auto b = folder.write("b", "B");
        const auto x = folder.write("x", "X");
        const auto y = folder.write("y", "Y");
        const auto z = folder.write("z", "Z");
        const RenamePlan plan = changes({{a, "b"}, {b, "a"}, {x, "y"}, {y, "z"},
                               {z, "x"}});
        std::uint64_t bits = 0;
        const RenameEngine::Batch batch(
            plan, RenameEngine::orderMoves(RenameEngine::moveRequests(plan), [&] { return ++bits; }));
        const test::MoveHook fault([&](const fs::path& from, const fs::path&) {
            return failing && from == a ? std::optional(EACCES) : std::nullopt;
        });
        std::vector<std::string> made;
        std::vector<std::string> failed;
        batch.perform([&](std::size_t move, const RenameEngine::Applied::Failure* failure) {
            (failure ? failed : made).push_back(std::string(batch.item(move).originalName()));
        });
        std::vector<std::string> contents;
        for (const auto& name : namesIn(folder.path())) {
            contents.push_back(name + "=" + contentsOf(folder.path() / name));
        }
        // In the order they finish: y stepped aside and comes last.
        using Names = std::vector<std::string>;
        EXPECT_EQ(made, (failing ? Names{"x", "z", "y"} : Names{"a", "b", "x", "z", "y"}));
        if (failing) {
            // b, which stepped aside for a, comes back to its own name.
            EXPECT_EQ(contents, (std::vector<std::string>{"a=A", "b=B", "x=Z", "y=X", "z=Y"}));
            EXPECT_EQ(failed, (std::vector<std::string>{"a", "b"}));
        } else {
            EXPECT_EQ(contents, (std::vector<std::string>{"a=B", "b=A", "x=Z", "y=X", "z=Y"}));
        }
    }
}

TEST(Undo, PutsFilesBackLastFirstAndSkipsWhatCannotGoBack) {
    TemporaryFolder folder;
    std::vector<Move> moves;
    for (const char* name : {"a", "b", "c"}) {
        const auto from = folder.write(std::string(name) + ".txt");
        const auto to = folder.path() / (std::string(name) + "-1.txt");
        fs::rename(from, to);
        moves.push_back({from, to});
    }
    moves.push_back({folder.path() / "notes.txt", folder.write("Notes.txt")});
    moves.push_back({folder.path() / "d.txt", folder.write("d-1.txt")});
    folder.write("d.txt", "in the way");
    std::optional<MoveRecorder> recorder(std::in_place);
    EXPECT_EQ(RenameEngine::undoEach(moves), (std::vector<bool>{true, true, true, true, false}));
    const auto order = recorder->moves;
    recorder.reset();
    ASSERT_EQ(order.size(), 6u);  // the change of case takes two steps
    for (std::size_t i : {0, 1, 3, 4, 5}) EXPECT_EQ(order[i].from, moves[i < 2 ? 4 - i : 5 - i].to);
    EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"a.txt", "b.txt", "c.txt",
                                                                "d-1.txt", "d.txt", "notes.txt"}));
    EXPECT_EQ(contentsOf(folder.path() / "d.txt"), "in the way");
}

TEST(UndoChecked, PutsBackOnlyTheFilesItRecorded) {
    TemporaryFolder folder;
    using Kind = RenameEngine::UndoOutcome::Kind;
    const auto at = [&](const std::string& name) { return folder.path() / name; };
    // Each file holds its original name; a planned move records its identity.
    const auto planned = [&](const std::string& from, const std::string& to) {
        folder.write(from, from);
        return PlannedMove{at(from), at(to), std::nullopt, FileSystem::identity(at(from)), std::nullopt};
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

    const auto outcomes = RenameEngine::undoChecked(moves);
    std::vector<Kind> kinds;
    for (const auto& outcome : outcomes) kinds.push_back(outcome.kind);
    EXPECT_EQ(kinds, (std::vector<Kind>{Kind::putBack, Kind::notMoved, Kind::anotherFile,
                                        Kind::missing, Kind::putBack, Kind::failed}));
    EXPECT_EQ(outcomes[5].error, std::errc::file_exists);
    EXPECT_EQ(namesIn(folder.path()),
              (std::vector<std::string>{"elsewhere", "moved", "never", "photo.jpg", "replaced-1",
                                        "taken", "taken-1"}));
    for (const char* name : {"moved", "never", "photo.jpg"}) EXPECT_EQ(contentsOf(at(name)), name);
    EXPECT_EQ(contentsOf(at("replaced-1")), "foreign");
    EXPECT_EQ(contentsOf(at("taken")), "newcomer");
    EXPECT_EQ(contentsOf(at("taken-1")), "taken");
}

}  // namespace
}  // namespace tavix
