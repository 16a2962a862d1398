#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/Cli.hpp"
#include "support/CliRun.hpp"
#include "support/Files.hpp"
#include "support/MoveHook.hpp"
#include "support/TemporaryFolder.hpp"
#include "system/DurableFile.hpp"
#include "system/FileSystem.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;
using testing::TemporaryFolder;

using Result = testing::CliResult;

using testing::contentsOf;

nlohmann::json journalAt(const fs::path& file) {
    return nlohmann::json::parse(contentsOf(file));
}

class RenameCommands : public ::testing::Test {
protected:
    Result run(const std::vector<std::string>& args) {
        return testing::runCli(args, folder.path(), "", false, state.path());
    }
    bool exists(const std::string& name) const { return fs::exists(folder.path() / name); }
    std::string at(const std::string& name) const { return (folder.path() / name).string(); }

    TemporaryFolder folder;
    TemporaryFolder state;
    const std::string upper = R"({"changeCase":{"_0":"UPPERCASE"}})";
    const std::string suffix = R"({"addText":{"text":"-1","position":"After name"}})";
};

TEST_F(RenameCommands, TheJournalRecordsIntentAndMovesAndUndoMarksIt) {
    folder.write("a.txt", "a");
    folder.write("b.txt", "b");
    struct stat a;
    ASSERT_EQ(::lstat(at("a.txt").c_str(), &a), 0);
    const Result renamed =
        run({"rename", "--step", upper, "--journal", "j.json", "a.txt", "b.txt"});
    EXPECT_EQ(renamed.status, 0) << renamed.err;
    EXPECT_EQ(renamed.out, "Renamed 2 files.\n");
    EXPECT_TRUE(exists("A.txt") && exists("B.txt"));

    const auto journal = journalAt(folder.path() / "j.json");
    EXPECT_EQ(journal["tavixJournal"], 2);
    EXPECT_EQ(journal["state"], "complete");
    const auto& first = journal["planned"][0];
    EXPECT_EQ(first["from"], at("a.txt"));
    EXPECT_EQ(first["to"], at("A.txt"));
    EXPECT_EQ(first["device"], a.st_dev);
    EXPECT_EQ(first["inode"], a.st_ino);
    // A change of letter case only records the temporary name it passes through.
    EXPECT_EQ(fs::path(first["temporary"].get<std::string>()).parent_path(), folder.path());
    EXPECT_EQ(journal["moves"][1], nlohmann::json({{"from", at("b.txt")}, {"to", at("B.txt")}}));
    EXPECT_EQ(journal["failures"], nlohmann::json::array());
    EXPECT_EQ(journal["message"], "Renamed 2 files.");

    const Result undone = run({"undo", "j.json"});
    EXPECT_EQ(undone.status, 0) << undone.err;
    EXPECT_EQ(undone.out, "Put 2 files back.\n");
    EXPECT_EQ(contentsOf(folder.path() / "a.txt"), "a");
    EXPECT_EQ(contentsOf(folder.path() / "b.txt"), "b");
    EXPECT_EQ(journalAt(folder.path() / "j.json")["state"], "undone");
    // Nothing is left behind: no temporary names, no temporary journal.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 3);

    const Result again = run({"undo", "j.json"});
    EXPECT_EQ(again.status, 2);
    EXPECT_EQ(again.err, "tavix-cli: j.json: already undone; nothing was moved\n");
}

TEST_F(RenameCommands, JournalsOfTheStateFolderAreListedAndUndoneNewestFirst) {
    folder.write("a.txt");
    folder.write("b.txt");
    ASSERT_EQ(run({"rename", "--step", suffix, "a.txt"}).status, 0);
    ASSERT_EQ(run({"rename", "--step", suffix, "b.txt"}).status, 0);
    ASSERT_EQ(run({"rename", "--no-journal", "--step", suffix, "b-1.txt"}).status, 0);

    const auto list = nlohmann::json::parse(run({"history", "--json"}).out);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(fs::path(list[0]["journal"].get<std::string>()).parent_path(),
              state.path() / "journals");
    EXPECT_EQ(list[0]["message"], "Renamed 1 file.");
    EXPECT_EQ(list[0]["folder"], folder.path().string());
    for (const char* key : {"planned", "moved"}) EXPECT_EQ(list[0][key], 1) << key;
    EXPECT_EQ(list[0]["failed"], 0);
    const auto text = run({"history"}).out;
    EXPECT_NE(text.find("  complete  Renamed 1 file.  " + folder.path().string() + "\n"),
              std::string::npos)
        << text;

    // The newest batch renamed b.txt; b-1.txt was then renamed without a journal,
    // so undo finds another name there and says so.
    const Result newest = run({"undo", "--last"});
    EXPECT_EQ(newest.status, 1);
    EXPECT_EQ(newest.err, "tavix-cli: not put back: \u201C" + at("b-1.txt") +
                              "\u201D: it is no longer there\n");
    const Result older = run({"undo", "--last", "--json"});
    EXPECT_EQ(
        nlohmann::json::parse(older.out),
        nlohmann::json::parse(R"({"putBack":1,"notPutBack":[],"message":"Put 1 file back."})"));
    EXPECT_TRUE(exists("a.txt"));
    EXPECT_EQ(nlohmann::json::parse(run({"history", "--json"}).out)[1]["state"], "undone");
    const Result none = run({"undo", "--last"});
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.err, "tavix-cli: no journal to undo in \u201C" +
                            (state.path() / "journals").string() + "\u201D\n");
}

TEST_F(RenameCommands, AJournalThatCannotBeCreatedStopsBeforeAnyRename) {
    folder.write("a.txt", "a");
    folder.write("list.txt", "a.txt\n");
    folder.folder("sub");
    FileSystem::testing::failDurableWrites([&](const fs::path& path) -> std::optional<int> {
        if (path.filename() == "full.json") return ENOSPC;
        return std::nullopt;
    });
    const std::pair<std::string, std::string> cases[] = {
        {"list.txt", "File exists"},
        {"sub", "File exists"},
        {"no/such/j.json", "No such file or directory"},
        {"full.json", "No space left on device"},
    };
    for (const auto& [journal, reason] : cases) {
        const Result r =
            run({"rename", "--step", upper, "--files-from", "list.txt", "--journal", journal});
        EXPECT_EQ(r.status, 2) << journal;
        EXPECT_EQ(r.err, "tavix-cli: journal \u201C" + at(journal) + "\u201D: " + reason +
                             "; nothing was renamed\n");
        EXPECT_EQ(contentsOf(folder.path() / "a.txt"), "a");
        EXPECT_EQ(contentsOf(folder.path() / "list.txt"), "a.txt\n");
    }
    FileSystem::testing::failDurableWrites({});
    EXPECT_FALSE(exists("full.json"));
}

TEST_F(RenameCommands, AJournalThatCannotBeCompletedStillPutsEveryFileBack) {
    folder.write("a.txt", "a");
    folder.write("b.txt", "b");
    // The disk fills up once the files have moved.
    FileSystem::testing::failDurableWrites([&](const fs::path&) -> std::optional<int> {
        if (exists("A.txt")) return ENOSPC;
        return std::nullopt;
    });
    const Result r = run({"rename", "--step", upper, "--journal", "j.json", "a.txt", "b.txt"});
    FileSystem::testing::failDurableWrites({});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Renamed 2 files.\n");
    EXPECT_EQ(r.err, "tavix-cli: journal \u201C" + at("j.json") +
                         "\u201D could not be completed: No space left on device; it is left "
                         "pending and undo still puts every file back\n");
    EXPECT_EQ(journalAt(folder.path() / "j.json")["state"], "pending");

    const Result undone = run({"undo", "j.json"});
    EXPECT_EQ(undone.status, 0) << undone.err;
    EXPECT_EQ(undone.out, "Put 2 files back.\n");
    EXPECT_EQ(contentsOf(folder.path() / "a.txt"), "a");
    EXPECT_EQ(contentsOf(folder.path() / "b.txt"), "b");
}

TEST_F(RenameCommands, PathsThatAreNotUtf8RoundTripByteForByte) {
    const std::string latin1 = "caf\xE9";
    folder.write(latin1 + "/x.txt", "x");
    const Result renamed =
        run({"rename", "--step", upper, "--journal", "j.json", latin1 + "/x.txt"});
    EXPECT_EQ(renamed.status, 0) << renamed.err;
    const auto journal = journalAt(folder.path() / "j.json");
    EXPECT_TRUE(journal["moves"][0]["to"].contains("base64")) << journal.dump();
    EXPECT_EQ(run({"undo", "j.json"}).out, "Put 1 file back.\n");
    EXPECT_EQ(contentsOf(folder.path() / latin1 / "x.txt"), "x");
}

TEST_F(RenameCommands, UndoLeavesWhatIsNotOursAlone) {
    folder.write("a.txt", "a");
    folder.write("b.txt", "b");
    ASSERT_EQ(run({"rename", "--step", suffix, "--journal", "j.json", "a.txt", "b.txt"}).status, 0);
    fs::rename(folder.path() / "b-1.txt", folder.path() / "kept.txt");
    folder.write("b-1.txt", "foreign");
    const Result r = run({"undo", "j.json"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Put 1 file back.\n");
    EXPECT_EQ(r.err, "tavix-cli: not put back: \u201C" + at("b-1.txt") +
                         "\u201D: another file is there now\n");
}

TEST_F(RenameCommands, RenameNothingWhenThePlanHasProblemsOrNoChange) {
    folder.write("one/a.txt");
    folder.write("two/a.txt");
    const Result clash = run({"rename", "--journal", "j.json", "one/a.txt", "two/a.txt"});
    EXPECT_EQ(clash.status, 1);
    EXPECT_TRUE(clash.out.ends_with("2 files \u00B7 0 will change\n")) << clash.out;
    EXPECT_FALSE(exists("j.json"));

    const Result same = run({"rename", "--json", "one/a.txt"});
    EXPECT_EQ(same.status, 1);
    EXPECT_EQ(nlohmann::json::parse(same.out)["changedCount"], 0);
    EXPECT_FALSE(fs::exists(state.path() / "journals"));
}

TEST_F(RenameCommands, ReportsFailuresAndRecordsThemInTheJournal) {
    folder.write("a.txt");
    folder.write("b.txt");
    const auto blocked = folder.path() / "B.txt";
    const testing::MoveHook refuse([&](const fs::path&, const fs::path& to) {
        return to == blocked ? std::optional(EACCES) : std::nullopt;
    });
    const Result r =
        run({"rename", "--json", "--journal", "j.json", "--step", upper, "a.txt", "b.txt"});
    EXPECT_EQ(r.status, 1);
    const std::string failure =
        "Couldn't rename \u201Cb.txt\u201D to \u201CB.txt\u201D: Permission denied";
    const auto json = nlohmann::json::parse(r.out);
    EXPECT_EQ(json["message"], "Renamed 1; 1 failed \u2014 " + failure);
    EXPECT_EQ(json["moves"].size(), 1u);
    EXPECT_EQ(json["failures"][0]["path"], at("b.txt"));
    EXPECT_EQ(json["failures"][0]["message"], failure);
    const auto journal = journalAt(folder.path() / "j.json");
    for (const char* key : {"moves", "failures", "message"}) EXPECT_EQ(journal[key], json[key]);
    EXPECT_TRUE(exists("A.txt") && exists("b.txt"));
}

TEST_F(RenameCommands, AJournalOfTheEarlierFormIsUndoneUnchecked) {
    folder.write("A.txt");
    folder.write("B.txt");
    folder.write("b.txt", "in the way");
    const auto base = folder.path().string();
    folder.write("j.json", R"({"moves":[{"from":")" + base + R"(/a.txt","to":")" + base +
                               R"(/A.txt"},{"from":")" + base + R"(/b.txt","to":")" + base +
                               R"(/B.txt"}]})");
    const Result r = run({"undo", "--json", "j.json"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(
        nlohmann::json::parse(r.out),
        nlohmann::json::parse(
            R"({"putBack":1,"notPutBack":[{"path":")" + base +
            R"(/B.txt","reason":"another file has its old name now"}],"message":"Put 1 file back."})"));
    EXPECT_TRUE(exists("a.txt") && exists("B.txt"));
    EXPECT_EQ(contentsOf(folder.path() / "b.txt"), "in the way");
    EXPECT_EQ(run({"undo", "j.json"}).status, 2);
}

TEST_F(RenameCommands, UndoRefusesJournalsItCannotTrust) {
    const auto base = folder.path().string();
    folder.write("bad.json", "[1,2");
    folder.write("list.json", "[]");
    folder.write("relative.json", R"({"moves":[{"from":"a","to":"b"}]})");
    folder.write("torn.json",
                 R"({"tavixJournal":2,"created":"2026-12-07T14:03:11Z","state":"pend)");
    folder.write("away.json", R"({"moves":[{"from":")" + base + R"(/a","to":"/etc/a"}]})");
    const std::pair<std::string, std::string> cases[] = {
        {"bad.json", "tavix-cli: bad.json: not valid JSON\n"},
        {"list.json", "tavix-cli: list.json: not a journal (no \"moves\" list)\n"},
        {"relative.json", "tavix-cli: relative.json: move 1 needs absolute paths\n"},
        {"away.json", "tavix-cli: away.json: move 1 leaves its folder\n"},
        {"torn.json",
         "tavix-cli: torn.json: the batch stopped before its first move; nothing to put back\n"},
        {"none.json", "tavix-cli: none.json: No such file or directory\n"},
    };
    for (const auto& [journal, message] : cases) {
        const Result r = run({"undo", journal});
        EXPECT_EQ(r.status, 2) << journal;
        EXPECT_EQ(r.err, message);
    }
}

}  // namespace
}  // namespace tavix
