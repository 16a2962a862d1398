#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "support/CliRun.hpp"
#include "support/SystemCallFaults.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;
using Result = test::CliResult;
using nlohmann::json;
using test::contentsOf;

class RenameCommands : public test::CliFolder {
protected:
    // The journal's lines, each parsed.
    std::vector<json> lines(const std::string& name = "j.jsonl") const {
        std::vector<json> parsed;
        std::istringstream text(in(name));
        for (std::string line; std::getline(text, line);) parsed.push_back(json::parse(line));
        return parsed;
    }
    void writeAB() const { folder.write("a.txt", "a"), folder.write("b.txt", "b"); }
    fs::path journals() const { return state.path() / "journals"; }
    // The state folder's journals, newest first.
    std::vector<std::string> history() {
        std::vector<std::string> paths;
        for (const auto& entry : json::parse(run({"history", "--json"}).out)) {
            paths.push_back(entry["journal"]);
        }
        return paths;
    }

    const std::string upper = R"({"changeCase":{"_0":"UPPERCASE"}})";
    const std::string suffix = R"({"addText":{"text":"-1","position":"After name"}})";
};

TEST_F(RenameCommands, TheJournalRecordsIntentAndMovesAndUndoAppendsItsState) {
    writeAB();
    struct stat a;
    ASSERT_EQ(::lstat(at("a.txt").c_str(), &a), 0);
    const Result renamed =
        run({"rename", "--step", upper, "--journal", "j.jsonl", "a.txt", "b.txt"});
    EXPECT_EQ(renamed.status, 0) << renamed.err;
    EXPECT_EQ(renamed.out, "Renamed 2 files.\n");
    auto j = lines();
    ASSERT_EQ(j.size(), 7u);
    EXPECT_EQ(j[0]["tavixJournal"], 3);
    EXPECT_EQ(j[0]["planned"], 2);
    EXPECT_EQ(j[0]["by"].get<std::string>().rfind("tavix-cli ", 0), 0u);
    EXPECT_EQ(j[1]["from"], at("a.txt"));
    EXPECT_EQ(j[1]["to"], at("A.txt"));
    EXPECT_EQ(j[1]["device"], a.st_dev);
    EXPECT_EQ(j[1]["inode"], a.st_ino);
    EXPECT_TRUE(j[1]["birth"].is_null() || j[1]["birth"].is_string());
    // A change of letter case only records the temporary name it passes through.
    EXPECT_EQ(fs::path(j[1]["temporary"].get<std::string>()).parent_path(), folder.path());
    EXPECT_EQ(j[3], json({{"intent", "complete"}}));
    EXPECT_EQ(j[4], json({{"moved", 1}}));
    EXPECT_EQ(
        j[6],
        json::parse(R"({"state":"complete","message":"Renamed 2 files.","moved":2,"failed":0})"));

    EXPECT_EQ(run({"undo", "j.jsonl"}).out, "Put 2 files back.\n");
    EXPECT_EQ(in("a.txt") + in("b.txt"), "ab");
    // Marked by an append: everything before stays as it was.
    j = lines();
    ASSERT_EQ(j.size(), 8u);
    EXPECT_EQ(j[7], json::parse(R"({"state":"undone","putBack":2,"notPutBack":0})"));
    // Nothing is left behind: no temporary names, no temporary journal.
    EXPECT_EQ(test::namesIn(folder.path()),
              (std::vector<std::string>{"a.txt", "b.txt", "j.jsonl"}));
    const Result again = run({"undo", "j.jsonl"});
    EXPECT_EQ(again.status, 2);
    EXPECT_EQ(again.err, "tavix-cli: j.jsonl: already undone; nothing was moved\n");
}

TEST_F(RenameCommands, TheStateFolderIsPrivateListedNewestFirstAndUndoLastNeverFallsThrough) {
    writeAB();
    ASSERT_EQ(run({"rename", "--step", suffix, "a.txt"}).status, 0);
    ASSERT_EQ(run({"rename", "--step", suffix, "b.txt"}).status, 0);
    ASSERT_EQ(run({"rename", "--no-journal", "--step", suffix, "b-1.txt"}).status, 0);
    struct stat folderStatus;
    ASSERT_EQ(::stat(journals().c_str(), &folderStatus), 0);
    EXPECT_EQ(folderStatus.st_mode & 0777, 0700u);
    auto list = json::parse(run({"history", "--json"}).out);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(fs::path(list[0]["journal"].get<std::string>()).parent_path(), journals());
    EXPECT_EQ(fs::path(list[0]["journal"].get<std::string>()).extension(), ".jsonl");
    list[0].erase("journal"), list[0].erase("created"), list[0].erase("by");
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
    EXPECT_EQ(json::parse(run({"history", "--json"}).out)[0]["state"], "undone");
    // The newest journal is undone: --last says so and stops there.
    const Result stop = run({"undo", "--last"});
    EXPECT_EQ(stop.status, 2);
    EXPECT_NE(stop.err.find("already undone; nothing was moved"), std::string::npos) << stop.err;
    EXPECT_TRUE(exists("a-1.txt"));
    EXPECT_EQ(json::parse(run({"undo", "--json", history()[1]}).out),
              json::parse(R"({"putBack":1,"notPutBack":[],"message":"Put 1 file back."})"));
}

TEST_F(RenameCommands, HistoryPruneRemovesFinishedJournalsBeyondTheNewestButNeverAPendingOne) {
    for (int i = 0; i < 4; ++i) {
        folder.write("f" + std::to_string(i));
        ASSERT_EQ(run({"rename", "--step", suffix, "f" + std::to_string(i)}).status, 0);
    }
    auto paths = history();
    ASSERT_EQ(paths.size(), 4u);
    ASSERT_EQ(run({"undo", paths[2]}).status, 0);
    // The oldest one is cut short as by a crash before its end: pending.
    const std::string text = contentsOf(paths[3]);
    std::ofstream(paths[3], std::ios::trunc) << text.substr(0, text.find("{\"state\""));
    const Result pruned = run({"history", "prune", "--keep", "1"});
    EXPECT_EQ(pruned.out, "Removed 2 journals.\n");
    EXPECT_EQ(history(), (std::vector<std::string>{paths[0], paths[3]}));
    EXPECT_EQ(run({"history", "prune"}).out, "Removed 0 journals.\n");
    EXPECT_EQ(run({"history", "--keep", "3"}).status, 2);
}

TEST_F(RenameCommands, AJournalThatCannotBeCreatedStopsBeforeAnyRename) {
    folder.write("a.txt", "a");
    folder.write("list.txt", "a.txt\n");
    test::failWrites([&](const fs::path& path) -> std::optional<int> {
        return path.filename() == "full.jsonl" ? std::optional(ENOSPC) : std::nullopt;
    });
    const std::pair<std::string, std::string> cases[] = {
        {"list.txt", "File exists"},
        {"no/j.jsonl", "No such file or directory"},
        {"full.jsonl", "No space left on device"},
        // The batch would fail on its own journal.
        {"A.txt", "it is one of the batch's new names"}};
    for (const auto& [j, reason] : cases) {
        const Result r =
            run({"rename", "--step", upper, "--files-from", "list.txt", "--journal", j});
        EXPECT_EQ(r.status, 2) << j;
        EXPECT_EQ(r.err, "tavix-cli: journal \u201C" + at(j) + "\u201D: " + reason +
                             "; nothing was renamed\n");
        EXPECT_EQ(in("a.txt") + in("list.txt"), "aa.txt\n");
    }
    test::failWrites({});
    EXPECT_EQ(test::namesIn(folder.path()), (std::vector<std::string>{"a.txt", "list.txt"}));
}

TEST_F(RenameCommands, AJournalThatCannotBeCompletedStillPutsEveryFileBack) {
    writeAB();
    // The disk fills up once the files have moved.
    test::failWrites([&](const fs::path&) -> std::optional<int> {
        return exists("B.txt") ? std::optional(ENOSPC) : std::nullopt;
    });
    const Result r = run({"rename", "--step", upper, "--journal", "j.jsonl", "a.txt", "b.txt"});
    test::failWrites({});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Renamed 2 files.\n");
    EXPECT_EQ(r.err, "tavix-cli: journal \u201C" + at("j.jsonl") +
                         "\u201D could not be completed: No space left on device; it is left "
                         "pending and undo still puts every file back\n");
    EXPECT_FALSE(lines().back().contains("state"));
    EXPECT_EQ(run({"undo", "j.jsonl"}).out, "Put 2 files back.\n");
    EXPECT_EQ(in("a.txt") + in("b.txt"), "ab");
}

TEST_F(RenameCommands, PathsRoundTripByteForByte) {
    const std::string latin1 = "caf\xE9";
    std::vector<std::string> names = {latin1 + "/x.txt"};
    // Each escaped byte at another place of an eight-byte word of the path.
    for (const char* escaped : {"\"", "\\", "\n", "\t", "\x01", "\x1f"}) {
        for (std::size_t before = 0; before < 9; before += 4)
            names.push_back(std::string(before, 'x') + escaped + "z" +
                            std::to_string(names.size()));
    }
    std::vector<std::string> args = {"rename", "--step", upper, "--journal", "j.jsonl"};
    for (const std::string& name : names) {
        folder.write(name, name);
        args.push_back(name);
    }
    ASSERT_EQ(run(args).status, 0);
    const auto j = lines();
    EXPECT_TRUE(j[1]["to"].contains("base64")) << j[1].dump();
    for (std::size_t i = 1; i < names.size(); ++i) EXPECT_EQ(j[i + 1]["from"], at(names[i]));
    EXPECT_EQ(run({"undo", "j.jsonl"}).status, 0);
    for (const std::string& name : names) EXPECT_EQ(in(name), name);
}

TEST_F(RenameCommands, ReportsFailuresAndRecordsThemInTheJournal) {
    writeAB();
    const test::MoveHook refuse([&](const fs::path&, const fs::path& to) {
        return to == folder.path() / "B.txt" ? std::optional(EACCES) : std::nullopt;
    });
    const Result r =
        run({"rename", "--json", "--journal", "j.jsonl", "--step", upper, "a.txt", "b.txt"});
    EXPECT_EQ(r.status, 1);
    const std::string failure =
        "Couldn't rename \u201Cb.txt\u201D to \u201CB.txt\u201D: Permission denied";
    const auto out = json::parse(r.out);
    EXPECT_EQ(out["message"], "Renamed 1; 1 failed \u2014 " + failure);
    EXPECT_EQ(out["failures"],
              json::parse(R"([{"path":")" + at("b.txt") + R"(","message":")" + failure + "\"}]"));
    const auto j = lines();
    EXPECT_EQ(j[5], json({{"failed", 2}, {"message", failure}}));
    EXPECT_EQ(j[6]["message"], out["message"]);
    EXPECT_EQ(j[6]["failed"], 1);
}

TEST_F(RenameCommands, AJournalOfTheEarlierFormIsUndoneUncheckedOnlyWhenNamed) {
    folder.write("A.txt");
    folder.write("B.txt");
    folder.write("b.txt", "in the way");
    const auto base = folder.path().string();
    const std::string earliest = R"({"moves":[{"from":")" + base + R"(/a.txt","to":")" + base +
                                 R"(/A.txt"},{"from":")" + base + R"(/b.txt","to":")" + base +
                                 R"(/B.txt"}]})";
    // Never by --last: its files can't be recognised.
    fs::create_directories(journals());
    fs::permissions(journals(), fs::perms::owner_all);
    std::ofstream(journals() / "20991231T235959Z-1.json") << earliest;
    const Result last = run({"undo", "--last"});
    EXPECT_EQ(last.status, 2);
    EXPECT_NE(last.err.find("undone only when named; nothing was moved"), std::string::npos);
    EXPECT_TRUE(exists("A.txt"));

    folder.write("j.json", earliest);
    const Result r = run({"undo", "--json", "j.json"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(
        json::parse(r.out),
        json::parse(
            R"({"putBack":1,"notPutBack":[{"path":")" + base +
            R"(/B.txt","reason":"another file has its old name now"}],"message":"Put 1 file back."})"));
    EXPECT_TRUE(exists("a.txt") && exists("B.txt"));
    EXPECT_EQ(in("b.txt"), "in the way");
    // Marked undone by a line appended after its document.
    EXPECT_EQ(run({"undo", "j.json"}).err,
              "tavix-cli: j.json: already undone; nothing was moved\n");
}

TEST_F(RenameCommands, UndoRefusesJournalsItCannotReadOrTrustBeforeMovingAnything) {
    folder.write("a");
    const auto base = folder.path().string();
    const auto planned = [&](const std::string& from, const std::string& to) {
        struct stat s;
        ::lstat(at("a").c_str(), &s);
        return R"({"tavixJournal":3,"planned":1})"
               "\n"
               R"({"from":")" +
               from + R"(","to":")" + to + R"(","device":)" + std::to_string(s.st_dev) +
               R"(,"inode":)" + std::to_string(s.st_ino) +
               R"(,"birth":null,"temporary":null})"
               "\n{\"intent\":\"complete\"}\n";
    };
    const std::pair<std::string, std::string> cases[] = {
        {R"({"moves":[1,)", "not valid JSON"},
        {"[]", "not a journal (no \"moves\" list)"},
        // A document of the earliest form goes through a reader of its own.
        {R"({"moves":[{"from":"a","to":"b"}]})", "a path that isn't absolute"},
        {R"({"moves":[{"from":")" + base + R"(/a","to":"/etc/a"}]})",
         "a move that leaves its folder"},
        // A textual "same folder" that isn't: refused whole, nothing moves.
        {planned(base + "/x/../../../etc/b", base + "/x/../a"),
         "line 2: a path with \".\" or \"..\" in it"},
        {R"({"tavixJournal":3,"created":"2026-12-09T14:03:11Z","by":"t","planned":1})"
         "\n{\"from\":\"/x",
         "the batch stopped before its first move; nothing to put back"},
        // Killed after its intent, before its first move.
        {planned(base + "/a", base + "/b"),
         "the batch stopped before its first move; nothing to put back"},
    };
    for (const auto& [text, message] : cases) {
        folder.write("j.jsonl", text);
        const Result r = run({"undo", "j.jsonl"});
        EXPECT_EQ(r.status, 2) << text;
        EXPECT_EQ(r.err.rfind("tavix-cli: j.jsonl: " + message, 0), 0u) << r.err;
        EXPECT_TRUE(exists("a"));
    }
}

// Each of these failed before journals were lines appended to.
TEST_F(RenameCommands, UndoOfStandardInputNeverWritesAFile) {
    writeAB();
    ASSERT_EQ(run({"rename", "--step", suffix, "--journal", "j.jsonl", "a.txt"}).status, 0);
    folder.write("-", "NOTES");
    const Result r = run({"undo", "-"}, in("j.jsonl"));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Put 1 file back.\n");
    EXPECT_EQ(r.err, "tavix-cli: a journal read from standard input can't be marked undone\n");
    EXPECT_EQ(in("-"), "NOTES");
    EXPECT_TRUE(exists("a.txt"));
}

TEST_F(RenameCommands, UndoLastStopsAtAJournalCutShortWhileItsIntentWasWritten) {
    writeAB();
    ASSERT_EQ(run({"rename", "--step", suffix, "a.txt"}).status, 0);
    // A newer batch killed while it wrote its intent.
    std::ofstream(journals() / "29991231T235959Z-1.jsonl")
        << R"({"tavixJournal":3,"created":"2999-12-31T23:59:59Z","by":"t","planned":1})"
        << "\n{\"from\":\"" << at("b.txt");
    ::chmod((journals() / "29991231T235959Z-1.jsonl").c_str(), 0600);
    const Result r = run({"undo", "--last"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("the batch stopped before its first move; nothing to put back"),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(exists("a-1.txt"));
}

TEST_F(RenameCommands, ForgedJournalsAreNotFollowed) {
    writeAB();
    ASSERT_EQ(run({"rename", "--step", suffix, "a.txt"}).status, 0);
    const fs::path own = history().front();
    // Another user's journal, newer, in our folder: named and left alone.
    const fs::path planted = journals() / "29991231T235959Z-1.jsonl";
    fs::copy_file(own, planted);
    ASSERT_EQ(::chown(planted.c_str(), 12345, 12345), 0);
    const Result listed = run({"history"});
    EXPECT_EQ(listed.err,
              "tavix-cli: skipped " + planted.string() + ": not trusted: owned by another user\n");
    EXPECT_EQ(run({"undo", planted.string()}).status, 2);
    EXPECT_TRUE(exists("a-1.txt"));
    EXPECT_EQ(run({"undo", "--last"}).out, "Put 1 file back.\n");

    // A journal others may write, and a journal folder others may write.
    ASSERT_EQ(::chown(planted.c_str(), ::geteuid(), ::getegid()), 0);
    ASSERT_EQ(::chmod(planted.c_str(), 0622), 0);
    const Result writable = run({"undo", planted.string()});
    EXPECT_EQ(writable.status, 2);
    EXPECT_EQ(writable.err, "tavix-cli: " + planted.string() +
                                ": not trusted: writable by group or others; nothing was moved\n");
    ASSERT_EQ(::chmod(journals().c_str(), 0777), 0);
    const Result open = run({"undo", "--last"});
    EXPECT_EQ(open.status, 2);
    EXPECT_EQ(open.err, "tavix-cli: journal folder \u201C" + journals().string() +
                            "\u201D is not safe: writable by others\n");
    EXPECT_EQ(run({"rename", "--step", suffix, "b.txt"}).status, 2);
    EXPECT_TRUE(exists("b.txt"));
}

TEST_F(RenameCommands, AFileWithTheRecordedInodeButAnotherBirthIsNotOurs) {
    folder.write("a.txt");
    ASSERT_EQ(run({"rename", "--step", suffix, "--journal", "j.jsonl", "a.txt"}).status, 0);
    auto j = lines();
    if (j[1]["birth"].is_null()) GTEST_SKIP() << "this file system records no birth time";
    j[1]["birth"] = "2001-01-01T00:00:00.000000000Z";
    std::string text;
    for (const auto& line : j) text += line.dump() + "\n";
    folder.write("j.jsonl", text);
    const Result r = run({"undo", "j.jsonl"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tavix-cli: not put back: \u201C" + at("a-1.txt") +
                         "\u201D: another file is there now\n");
}

TEST_F(RenameCommands, AJournalReplacedWhileTheBatchRunsIsReportedTruthfully) {
    writeAB();
    bool replaced = false;
    const test::MoveHook replace([&](const fs::path&, const fs::path&) -> std::optional<int> {
        if (!replaced) {
            replaced = true;
            fs::rename(folder.path() / "j.jsonl", folder.path() / "j.old");
            folder.write("j.jsonl", "someone else's");
        }
        return std::nullopt;
    });
    const Result r = run({"rename", "--step", suffix, "--journal", "j.jsonl", "a.txt", "b.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tavix-cli: journal \u201C" + at("j.jsonl") +
                         "\u201D was replaced or removed while the batch ran: this batch has no "
                         "journal left; the 2 moves made were:\n"
                         "tavix-cli: moved \u201C" +
                         at("a.txt") + "\u201D to \u201C" + at("a-1.txt") +
                         "\u201D\ntavix-cli: moved \u201C" + at("b.txt") + "\u201D to \u201C" +
                         at("b-1.txt") + "\u201D\n");
    EXPECT_EQ(in("j.jsonl"), "someone else's");
}

TEST_F(RenameCommands, ACompleteJournalCutInHalfPutsBackWhatItCanIdentify) {
    for (const std::string name : {"a", "b", "c", "d"}) folder.write(name + ".txt", name);
    ASSERT_EQ(run({"rename", "--step", suffix, "--journal", "j.jsonl", "a.txt", "b.txt", "c.txt",
                   "d.txt"})
                  .status,
              0);
    const std::string text = in("j.jsonl");
    // Cut in the middle of the third planned move.
    const auto third = text.find('\n', text.find('\n', text.find('\n') + 1) + 1);
    folder.write("j.jsonl", text.substr(0, third + 20));
    const Result r = run({"undo", "j.jsonl"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "Put 2 files back.\n");
    EXPECT_EQ(r.err,
              "tavix-cli: damaged journal: the list of planned moves is cut short; its file, if "
              "any, was not put back\n");
    EXPECT_TRUE(exists("a.txt") && exists("b.txt") && exists("c-1.txt"));
}

TEST_F(RenameCommands, UndoThroughALinkMarksTheJournalItLeadsTo) {
    folder.write("a.txt");
    ASSERT_EQ(run({"rename", "--step", suffix, "--journal", "j.jsonl", "a.txt"}).status, 0);
    fs::create_symlink(folder.path() / "j.jsonl", folder.path() / "link.jsonl");
    const Result r = run({"undo", "link.jsonl"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lines().back()["state"], "undone");
}

TEST_F(RenameCommands, AJournalThatIsNoRegularFileIsRefusedWithoutWaiting) {
    ASSERT_EQ(::mkfifo(at("fifo").c_str(), 0600), 0);
    const Result r = run({"undo", "fifo"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "tavix-cli: fifo: not a regular file\n");
}

// The kernel resolves "..", after the link: not the x.txt a textual reading finds.
TEST_F(RenameCommands, PathsWithDotDotAreJournaledResolvedAndUndone) {
    folder.write("x.txt", "top");
    folder.write("deep/x.txt", "deep");
    folder.folder("deep/inner");
    fs::create_symlink(folder.path() / "deep/inner", folder.path() / "link");
    ASSERT_EQ(run({"rename", "--step", upper, "--journal", "j.jsonl", "link/../x.txt"}).status, 0);
    EXPECT_EQ(lines()[1]["to"], at("deep/X.txt"));
    EXPECT_EQ(in("x.txt"), "top");
    EXPECT_EQ(run({"undo", "j.jsonl"}).status, 0);
    EXPECT_EQ(in("deep/x.txt"), "deep");
}

}  // namespace
}  // namespace tavix
