#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <sstream>

#include "engine/Perform.hpp"
#include "support/Files.hpp"
#include "support/MoveHook.hpp"
#include "support/TemporaryFolder.hpp"
#include "system/FileSystem.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;
using testing::TemporaryFolder;

using testing::contentsOf;
using testing::namesIn;

RenamePlan::Item change(const fs::path& url, const std::string& newName) {
    return RenamePlan::Item::make(url, url.filename().string(), newName);
}

// Records where each move goes while it lives.
struct MoveRecorder {
    std::vector<fs::path> to;
    testing::MoveHook hook{[this](const fs::path&, const fs::path& dest) -> std::optional<int> {
        to.push_back(dest);
        return std::nullopt;
    }};
};

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

TEST(Perform, MovesOnlyChangedItemsWithoutProblems) {
    TemporaryFolder folder;
    const auto a = folder.write("a.txt", "A");
    const auto b = folder.write("b.txt", "B");
    const auto c = folder.write("c.txt", "C");
    RenamePlan plan{{change(a, "x.txt"), change(b, "b.txt"), change(c, "y.txt")}};
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
    const auto applied = RenameEngine::perform(RenamePlan{{change(notes, "Notes.txt")}});
    EXPECT_EQ(applied.moves, (std::vector<Move>{{notes, folder.path() / "Notes.txt"}}));
    ASSERT_EQ(recorder.to.size(), 2u);
    EXPECT_EQ(recorder.to[0].filename().string().size(), 46u);
    EXPECT_TRUE(endsWith(recorder.to[0].filename().string(), "-Notes.txt"));
    EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"Notes.txt"}));
}

TEST(Perform, ChangesTheCaseOfANameTooLongForATemporaryPrefix) {
    TemporaryFolder folder;
    const std::string name(250, 'a');
    const auto file = folder.write(name);
    const std::string upper(250, 'A');
    const auto applied = RenameEngine::perform(RenamePlan{{change(file, upper)}});
    EXPECT_TRUE(applied.failures.empty()) << applied.failures[0].message;
    EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{upper}));
}

TEST(Perform, NeverReplacesAFileThatAppearedAfterPlanning) {
    TemporaryFolder folder;
    const auto a = folder.write("a.txt", "mine");
    const auto c = folder.write("c.txt", "C");
    const RenamePlan plan{{change(a, "b.txt"), change(c, "d.txt")}};
    folder.write("b.txt", "theirs");
    const auto applied = RenameEngine::perform(plan);
    ASSERT_EQ(applied.failures.size(), 1u);
    EXPECT_EQ(applied.failures[0].url, a);
    EXPECT_EQ(applied.failures[0].message,
              "Couldn't rename \u201Ca.txt\u201D to \u201Cb.txt\u201D: File exists");
    EXPECT_EQ(contentsOf(folder.path() / "b.txt"), "theirs");
    EXPECT_EQ(contentsOf(a), "mine");
    EXPECT_EQ(applied.moves, (std::vector<Move>{{c, folder.path() / "d.txt"}}));
}

TEST(Perform, ReportsVanishedFilesAndNamesTooLong) {
    TemporaryFolder folder;
    const auto gone = folder.write("gone.txt");
    const auto longer = folder.write("long.txt");
    const auto fine = folder.write("fine.txt");
    const RenamePlan plan{
        {change(gone, "x.txt"), change(longer, std::string(300, 'l')), change(fine, "ok.txt")}};
    fs::remove(gone);
    const auto applied = RenameEngine::perform(plan);
    ASSERT_EQ(applied.failures.size(), 2u);
    EXPECT_EQ(
        applied.failures[0].message,
        "Couldn't rename \u201Cgone.txt\u201D to \u201Cx.txt\u201D: No such file or directory");
    EXPECT_TRUE(endsWith(applied.failures[1].message, ": File name too long"))
        << applied.failures[1].message;
    EXPECT_EQ(applied.moves.size(), 1u);
    EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"long.txt", "ok.txt"}));
}

TEST(Perform, PutsACaseChangeBackWhenItsSecondStepFails) {
    TemporaryFolder folder;
    const auto photo = folder.write("photo.jpg", "p");
    const auto dest = folder.path() / "PHOTO.jpg";
    const testing::MoveHook fault([&](const fs::path&, const fs::path& to) {
        return to == dest ? std::optional(EACCES) : std::nullopt;
    });
    const auto applied = RenameEngine::perform(RenamePlan{{change(photo, "PHOTO.jpg")}});
    ASSERT_EQ(applied.failures.size(), 1u);
    EXPECT_EQ(applied.failures[0].message,
              "Couldn't rename \u201Cphoto.jpg\u201D to \u201CPHOTO.jpg\u201D: Permission denied");
    EXPECT_TRUE(applied.moves.empty());
    EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"photo.jpg"}));
}

TEST(Perform, NamesTheTemporaryFileWhenItCannotGoBack) {
    TemporaryFolder folder;
    const auto photo = folder.write("photo.jpg", "p");
    const testing::MoveHook fault([&](const fs::path& from, const fs::path&) {
        return from != photo ? std::optional(EIO) : std::nullopt;
    });
    const auto applied = RenameEngine::perform(RenamePlan{{change(photo, "PHOTO.jpg")}});
    ASSERT_EQ(applied.failures.size(), 1u);
    const auto names = namesIn(folder.path());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_TRUE(endsWith(names[0], "-PHOTO.jpg"));
    EXPECT_EQ(applied.failures[0].message,
              "Couldn't rename \u201Cphoto.jpg\u201D to \u201CPHOTO.jpg\u201D: Input/output error; "
              "the file is now named \u201C" +
                  names[0] + "\u201D");
}

// Undo goes last move first, changes letter case back through a temporary
// name, and skips a move whose old name is taken again.
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
    std::vector<fs::path> order;
    std::optional<testing::MoveHook> hook(std::in_place,
                                          [&](const fs::path& from, const fs::path&) {
                                              order.push_back(from);
                                              return std::optional<int>();
                                          });
    const auto putBack = RenameEngine::undoEach(moves);
    hook.reset();
    EXPECT_EQ(putBack, (std::vector<bool>{true, true, true, true, false}));
    ASSERT_EQ(order.size(), 6u);  // the change of case takes two steps
    EXPECT_EQ(order[0], moves[4].to);
    EXPECT_EQ(order[1], moves[3].to);
    EXPECT_EQ(std::vector(order.begin() + 3, order.end()),
              (std::vector<fs::path>{moves[2].to, moves[1].to, moves[0].to}));
    EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"a.txt", "b.txt", "c.txt",
                                                                "d-1.txt", "d.txt", "notes.txt"}));
    EXPECT_EQ(contentsOf(folder.path() / "d.txt"), "in the way");
    EXPECT_EQ(RenameEngine::undo({}), 0);
}

TEST(UndoChecked, PutsBackOnlyTheFilesItRecorded) {
    TemporaryFolder folder;
    using Kind = RenameEngine::UndoOutcome::Kind;
    const auto at = [&](const std::string& name) { return folder.path() / name; };
    // Each file holds its original name; a planned move records its identity.
    const auto planned = [&](const std::string& from, const std::string& to) {
        folder.write(from, from);
        return PlannedMove{at(from), at(to), std::nullopt, FileSystem::identity(at(from))};
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

TEST(UndoChecked, ACaseChangeGoesBackThroughItsRecordedTemporaryName) {
    TemporaryFolder folder;
    const auto notes = folder.write("notes.txt", "n");
    const auto moves = RenameEngine::plannedMoves(RenamePlan{{change(notes, "Notes.txt")}});
    ASSERT_TRUE(moves[0].temporary);
    RenameEngine::perform(moves);
    auto recorded = moves;
    recorded[0].identity = FileSystem::identity(folder.path() / "Notes.txt");
    const MoveRecorder recorder;
    const auto outcomes = RenameEngine::undoChecked(recorded);
    EXPECT_EQ(outcomes[0].kind, RenameEngine::UndoOutcome::Kind::putBack);
    EXPECT_EQ(recorder.to, (std::vector<fs::path>{*moves[0].temporary, notes}));
    EXPECT_EQ(namesIn(folder.path()), (std::vector<std::string>{"notes.txt"}));
}

}  // namespace
}  // namespace tavix
