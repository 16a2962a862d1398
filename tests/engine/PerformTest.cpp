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

// Two swaps and a 3-cycle, made in their move order. Each swap is one exchange
// of names where the file system has it; where it refuses, the swaps (asking
// only once) and the 3-cycle go through a temporary name: the cycle's file that
// steps aside moves first and finishes last. When a move of a swap fails, no
// file is lost and none is left under a temporary name.
TEST(PerformInOrder, SwapsInOneStepBreaksCyclesAndKeepsEveryFileWhenAMoveFails) {
    struct Case {
        std::string name;
        bool exchanges;   // the file system swaps two names in one step
        std::string failingFrom;  // every rename of this file fails
        std::size_t renames;
    };
    for (const Case& c : {Case{"every move is made", true, "", 1 + 1 + 4},
                          Case{"exchanges are refused", false, "", 1 + 3 + 3 + 4},
                          Case{"a move fails", true, "a", 1 + 4 + 1 + 4},
                          Case{"a step aside fails", true, "y", 1 + 1 + 3}}) {
        SCOPED_TRACE(c.name);
        TemporaryFolder folder;
        for (const char name : std::string("abcdxyz")) {
            folder.write(std::string(1, name), std::string(1, static_cast<char>(name - 'a' + 'A')));
        }
        const auto at = [&](const char* name) { return folder.path() / name; };
        const RenamePlan plan = changes({{at("a"), "b"}, {at("b"), "a"}, {at("c"), "d"},
                                         {at("d"), "c"}, {at("x"), "y"}, {at("y"), "z"},
                                         {at("z"), "x"}});
        std::uint64_t bits = 0;
        const RenameEngine::Batch batch(
            plan, RenameEngine::orderMoves(RenameEngine::moveRequests(plan), [&] { return ++bits; }));
        test::refuseExchanges(!c.exchanges);
        std::size_t renames = 0;
        const test::MoveHook fault([&](const fs::path& from, const fs::path&) {
            ++renames;
            return !c.failingFrom.empty() && from == at(c.failingFrom.c_str()) ? std::optional(EACCES)
                                                                                : std::nullopt;
        });
        std::vector<std::string> made;
        std::vector<std::string> failed;
        batch.perform([&](std::size_t move, const RenameEngine::Applied::Failure* failure) {
            (failure ? failed : made).push_back(std::string(batch.item(move).originalName()));
        });
        test::refuseExchanges(false);
        std::vector<std::string> contents;
        for (const auto& name : namesIn(folder.path())) {
            contents.push_back(name + "=" + contentsOf(folder.path() / name));
        }
        EXPECT_EQ(renames, c.renames);
        // In the order they finish: y stepped aside and comes last.
        using Names = std::vector<std::string>;
        if (c.failingFrom == "y") {
            // The cycle's file that steps aside can't: no file of it moves,
            // and each is told once.
            EXPECT_EQ(made, (Names{"a", "b", "c", "d"}));
            EXPECT_EQ(contents, (Names{"a=B", "b=A", "c=D", "d=C", "x=X", "y=Y", "z=Z"}));
            EXPECT_EQ(failed, (Names{"y", "x", "z"}));
        } else if (c.failingFrom == "a") {
            EXPECT_EQ(made, (Names{"c", "d", "x", "z", "y"}));
            // b, which stepped aside for a, comes back to its own name.
            EXPECT_EQ(contents, (Names{"a=A", "b=B", "c=D", "d=C", "x=Z", "y=X", "z=Y"}));
            EXPECT_EQ(failed, (Names{"a", "b"}));
        } else {
            EXPECT_EQ(made, (Names{"a", "b", "c", "d", "x", "z", "y"}));
            EXPECT_EQ(contents, (Names{"a=B", "b=A", "c=D", "d=C", "x=Z", "y=X", "z=Y"}));
        }
    }
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
