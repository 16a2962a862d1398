#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <nlohmann/json.hpp>

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
using nlohmann::json;
using testing::contentsOf;

class RenameCommands : public ::testing::Test {
protected:
    Result run(const std::vector<std::string>& args) {
        return testing::runCli(args, folder.path(), "", false, state.path());
    }
    bool exists(const std::string& name) const { return fs::exists(folder.path() / name); }
    std::string at(const std::string& name) const { return (folder.path() / name).string(); }
    std::string in(const std::string& name) const { return contentsOf(folder.path() / name); }
    json journal(const std::string& name = "j.json") const { return json::parse(in(name)); }
    void writeAB() const { folder.write("a.txt", "a"), folder.write("b.txt", "b"); }

    TemporaryFolder folder;
    TemporaryFolder state;
    const std::string upper = R"({"changeCase":{"_0":"UPPERCASE"}})";
    const std::string suffix = R"({"addText":{"text":"-1","position":"After name"}})";
};

TEST_F(RenameCommands, TheJournalRecordsIntentAndMovesAndUndoMarksIt) {
    writeAB();
    struct stat a;
    ASSERT_EQ(::lstat(at("a.txt").c_str(), &a), 0);
    const Result renamed =
        run({"rename", "--step", upper, "--journal", "j.json", "a.txt", "b.txt"});
    EXPECT_EQ(renamed.status, 0) << renamed.err;
    EXPECT_EQ(renamed.out, "Renamed 2 files.\n");
    const auto j = journal();
    EXPECT_EQ(j["tavixJournal"], 2);
    EXPECT_EQ(j["state"], "complete");
    const auto& first = j["planned"][0];
    EXPECT_EQ(first["from"], at("a.txt"));
    EXPECT_EQ(first["to"], at("A.txt"));
    EXPECT_EQ(first["device"], a.st_dev);
    EXPECT_EQ(first["inode"], a.st_ino);
    // A change of letter case only records the temporary name it passes through.
    EXPECT_EQ(fs::path(first["temporary"].get<std::string>()).parent_path(), folder.path());
    EXPECT_EQ(j["moves"][1], json({{"from", at("b.txt")}, {"to", at("B.txt")}}));
    EXPECT_EQ(j["message"], "Renamed 2 files.");

    EXPECT_EQ(run({"undo", "j.json"}).out, "Put 2 files back.\n");
    EXPECT_EQ(in("a.txt") + in("b.txt"), "ab");
    EXPECT_EQ(journal()["state"], "undone");
    // Nothing is left behind: no temporary names, no temporary journal.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 3);
    const Result again = run({"undo", "j.json"});
    EXPECT_EQ(again.status, 2);
    EXPECT_EQ(again.err, "tavix-cli: j.json: already undone; nothing was moved\n");
}

TEST_F(RenameCommands, JournalsOfTheStateFolderAreListedAndUndoneNewestFirst) {
    writeAB();
    ASSERT_EQ(run({"rename", "--step", suffix, "a.txt"}).status, 0);
    ASSERT_EQ(run({"rename", "--step", suffix, "b.txt"}).status, 0);
    ASSERT_EQ(run({"rename", "--no-journal", "--step", suffix, "b-1.txt"}).status, 0);
    auto list = json::parse(run({"history", "--json"}).out);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(fs::path(list[0]["journal"].get<std::string>()).parent_path(),
              state.path() / "journals");
    list[0].erase("journal"), list[0].erase("created");
    EXPECT_EQ(list[0], json({{"message", "Renamed 1 file."},
                             {"folder", folder.path().string()},
                             {"planned", 1},
                             {"moved", 1},
                             {"failed", 0},
                             {"state", "complete"}}));
    EXPECT_NE(run({"history"}).out.find("  complete  Renamed 1 file.  " + folder.path().string()),
              std::string::npos);
    // The newest batch renamed b.txt; b-1.txt was then renamed without a journal.
    const Result newest = run({"undo", "--last"});
    EXPECT_EQ(newest.status, 1);
    EXPECT_EQ(newest.err, "tavix-cli: not put back: \u201C" + at("b-1.txt") +
                              "\u201D: it is no longer there\n");
    EXPECT_EQ(json::parse(run({"undo", "--last", "--json"}).out),
              json::parse(R"({"putBack":1,"notPutBack":[],"message":"Put 1 file back."})"));
    EXPECT_EQ(json::parse(run({"history", "--json"}).out)[1]["state"], "undone");
    const Result none = run({"undo", "--last"});
    EXPECT_EQ(none.status, 2);
    EXPECT_EQ(none.err, "tavix-cli: no journal to undo in \u201C" +
                            (state.path() / "journals").string() + "\u201D\n");
}

TEST_F(RenameCommands, AJournalThatCannotBeCreatedStopsBeforeAnyRename) {
    folder.write("a.txt", "a");
    folder.write("list.txt", "a.txt\n");
    FileSystem::testing::failDurableWrites([&](const fs::path& path) -> std::optional<int> {
        return path.filename() == "full.json" ? std::optional(ENOSPC) : std::nullopt;
    });
    const std::pair<std::string, std::string> cases[] = {{"list.txt", "File exists"},
                                                         {"no/j.json", "No such file or directory"},
                                                         {"full.json", "No space left on device"}};
    for (const auto& [j, reason] : cases) {
        const Result r =
            run({"rename", "--step", upper, "--files-from", "list.txt", "--journal", j});
        EXPECT_EQ(r.status, 2) << j;
        EXPECT_EQ(r.err, "tavix-cli: journal \u201C" + at(j) + "\u201D: " + reason +
                             "; nothing was renamed\n");
        EXPECT_EQ(in("a.txt") + in("list.txt"), "aa.txt\n");
    }
    FileSystem::testing::failDurableWrites({});
    EXPECT_FALSE(exists("full.json"));
}

TEST_F(RenameCommands, AJournalThatCannotBeCompletedStillPutsEveryFileBack) {
    writeAB();
    // The disk fills up once the files have moved.
    FileSystem::testing::failDurableWrites([&](const fs::path&) -> std::optional<int> {
        return exists("A.txt") ? std::optional(ENOSPC) : std::nullopt;
    });
    const Result r = run({"rename", "--step", upper, "--journal", "j.json", "a.txt", "b.txt"});
    FileSystem::testing::failDurableWrites({});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Renamed 2 files.\n");
    EXPECT_EQ(r.err, "tavix-cli: journal \u201C" + at("j.json") +
                         "\u201D could not be completed: No space left on device; it is left "
                         "pending and undo still puts every file back\n");
    EXPECT_EQ(journal()["state"], "pending");
    EXPECT_EQ(run({"undo", "j.json"}).out, "Put 2 files back.\n");
    EXPECT_EQ(in("a.txt") + in("b.txt"), "ab");
}

TEST_F(RenameCommands, PathsThatAreNotUtf8RoundTripByteForByte) {
    const std::string latin1 = "caf\xE9";
    folder.write(latin1 + "/x.txt", "x");
    ASSERT_EQ(run({"rename", "--step", upper, "--journal", "j.json", latin1 + "/x.txt"}).status, 0);
    EXPECT_TRUE(journal()["moves"][0]["to"].contains("base64")) << journal().dump();
    EXPECT_EQ(run({"undo", "j.json"}).out, "Put 1 file back.\n");
    EXPECT_EQ(in(latin1 + "/x.txt"), "x");
}

TEST_F(RenameCommands, EscapedBytesRoundTripWhereverTheyFall) {
    // Each escaped byte at another place of an eight-byte word of the path.
    std::vector<std::string> names;
    for (const char* escaped : {"\"", "\\", "\n", "\t", "\x01", "\x1f"}) {
        for (std::size_t before = 0; before < 9; before += 3)
            names.push_back(std::string(before, 'x') + escaped + "z" + std::to_string(names.size()));
    }
    std::vector<std::string> args = {"rename", "--step", upper, "--journal", "j.json"};
    for (const std::string& name : names) {
        folder.write(name, name);
        args.push_back(name);
    }
    ASSERT_EQ(run(args).status, 0);
    const auto moves = journal()["moves"];
    ASSERT_EQ(moves.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(moves[i]["from"], at(names[i]));
    EXPECT_EQ(run({"undo", "j.json"}).status, 0);
    for (const std::string& name : names) EXPECT_EQ(in(name), name);
}

TEST_F(RenameCommands, UndoLeavesWhatIsNotOursAlone) {
    writeAB();
    ASSERT_EQ(run({"rename", "--step", suffix, "--journal", "j.json", "a.txt", "b.txt"}).status, 0);
    fs::rename(folder.path() / "b-1.txt", folder.path() / "kept.txt");
    folder.write("b-1.txt", "foreign");
    const Result r = run({"undo", "j.json"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Put 1 file back.\n");
    EXPECT_EQ(r.err, "tavix-cli: not put back: \u201C" + at("b-1.txt") +
                         "\u201D: another file is there now\n");
}

TEST_F(RenameCommands, ReportsFailuresAndRecordsThemInTheJournal) {
    writeAB();
    const testing::MoveHook refuse([&](const fs::path&, const fs::path& to) {
        return to == folder.path() / "B.txt" ? std::optional(EACCES) : std::nullopt;
    });
    const Result r =
        run({"rename", "--json", "--journal", "j.json", "--step", upper, "a.txt", "b.txt"});
    EXPECT_EQ(r.status, 1);
    const std::string failure =
        "Couldn't rename \u201Cb.txt\u201D to \u201CB.txt\u201D: Permission denied";
    const auto out = json::parse(r.out);
    EXPECT_EQ(out["message"], "Renamed 1; 1 failed \u2014 " + failure);
    EXPECT_EQ(out["failures"],
              json::parse(R"([{"path":")" + at("b.txt") + R"(","message":")" + failure + "\"}]"));
    for (const char* key : {"moves", "failures", "message"}) EXPECT_EQ(journal()[key], out[key]);
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
        json::parse(r.out),
        json::parse(
            R"({"putBack":1,"notPutBack":[{"path":")" + base +
            R"(/B.txt","reason":"another file has its old name now"}],"message":"Put 1 file back."})"));
    EXPECT_TRUE(exists("a.txt") && exists("B.txt"));
    EXPECT_EQ(in("b.txt"), "in the way");
}

TEST_F(RenameCommands, UndoRefusesJournalsItCannotTrust) {
    const auto base = folder.path().string();
    const std::pair<std::string, std::string> cases[] = {
        {"[1,2", "not valid JSON"},
        {"[]", "not a journal (no \"moves\" list)"},
        {R"({"moves":[{"from":"a","to":"b"}]})", "move 1 needs absolute paths"},
        {R"({"moves":[{"from":")" + base + R"(/a","to":"/etc/a"}]})", "move 1 leaves its folder"},
        {R"({"tavixJournal":2,"created":"2026-12-07T14:03:11Z","state":"pend)",
         "the batch stopped before its first move; nothing to put back"},
    };
    for (const auto& [text, message] : cases) {
        folder.write("j.json", text);
        const Result r = run({"undo", "j.json"});
        EXPECT_EQ(r.status, 2) << text;
        EXPECT_EQ(r.err, "tavix-cli: j.json: " + message + "\n");
    }
}

}  // namespace
}  // namespace tavix
