#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <utility>

#include "support/CliRun.hpp"
#include "support/SystemCallFaults.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;
using Result = test::CliResult;
using nlohmann::json;
using test::contentsOf;
using test::quoted;
using Names = std::vector<std::string>;

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
    // Adds "-1" to each name given after the options given.
    Result suffixed(std::vector<std::string> args) {
        args.insert(args.begin(), {"rename", "--step", suffix});
        return run(args);
    }
    fs::path journals() const { return state.path() / "journals"; }
    // The state folder's journals, newest first.
    std::vector<std::string> history() {
        std::vector<std::string> paths;
        for (const auto& entry : json::parse(run({"history", "--json"}).out)) {
            paths.push_back(entry["journal"]);
        }
        return paths;
    }
    // Writes a journal into the state folder, newer than any the batches made.
    fs::path plant(const std::string& text) {
        const fs::path file = journals() / "29991231T235959Z-1.jsonl";
        std::ofstream(file) << text;
        ::chmod(file.c_str(), 0600);
        return file;
    }
    std::string failed(const std::string& why) const { return "tavix-cli: " + why + "\n"; }

    const std::string upper = R"({"changeCase":{"_0":"UPPERCASE"}})";
    const std::string suffix = R"({"addText":{"text":"-1","position":"After name"}})";
};

TEST_F(RenameCommands, TheJournalRecordsIntentAndMovesAndUndoAppendsItsState) {
    writeAB();
    struct stat a;
    ASSERT_EQ(::lstat(at("a.txt").c_str(), &a), 0);
    EXPECT_EQ(run({"rename", "--step", upper, "--journal", "j.jsonl", "a.txt", "b.txt"}),
              (Result{0, "Renamed 2 files.\n", ""}));
    auto j = lines();
    ASSERT_EQ(j.size(), 7u);
    EXPECT_EQ(j[0]["tavixJournal"], 3);
    EXPECT_EQ(j[0]["planned"], 2);
    EXPECT_EQ(j[0]["by"].get<std::string>().rfind("tavix-cli ", 0), 0u);
    EXPECT_TRUE(j[1]["birth"].is_null() || j[1]["birth"].is_string());
    // A change of letter case only records the temporary name it passes through.
    EXPECT_EQ(fs::path(j[1]["temporary"].get<std::string>()).parent_path(), folder.path());
    j[1].erase("birth"), j[1].erase("temporary");
    EXPECT_EQ(j[1], json({{"from", at("a.txt")}, {"to", at("A.txt")}, {"device", a.st_dev},
                          {"inode", a.st_ino}}));
    EXPECT_EQ(j[3], json({{"intent", "complete"}}));
    EXPECT_EQ(j[4], json({{"moved", 1}}));
    EXPECT_EQ(j[6], json({{"state", "complete"}, {"message", "Renamed 2 files."}, {"moved", 2},
                          {"failed", 0}}));

    EXPECT_EQ(run({"undo", "j.jsonl"}), (Result{0, "Put 2 files back.\n", ""}));
    EXPECT_EQ(in("a.txt") + in("b.txt"), "ab");
    // Marked by an append: everything before stays as it was.
    j = lines();
    ASSERT_EQ(j.size(), 8u);
    EXPECT_EQ(j[7], json::parse(R"({"state":"undone","putBack":2,"notPutBack":0})"));
    // Nothing is left behind: no temporary names, no temporary journal.
    EXPECT_EQ(test::namesIn(folder.path()), (Names{"a.txt", "b.txt", "j.jsonl"}));
    EXPECT_EQ(run({"undo", "j.jsonl"}),
              (Result{2, "", failed("j.jsonl: already undone; nothing was moved")}));
}

TEST_F(RenameCommands, TheStateFolderIsPrivateListedNewestFirstAndUndoLastNeverFallsThrough) {
    writeAB();
    ASSERT_EQ(suffixed({"a.txt"}).status, 0);
    ASSERT_EQ(suffixed({"b.txt"}).status, 0);
    ASSERT_EQ(suffixed({"--no-journal", "b-1.txt"}).status, 0);
    struct stat folderStatus;
    ASSERT_EQ(::stat(journals().c_str(), &folderStatus), 0);
    EXPECT_EQ(folderStatus.st_mode & 0777, 0700u);
    auto list = json::parse(run({"history", "--json"}).out);
    ASSERT_EQ(list.size(), 2u);
    const fs::path newest = list[0]["journal"].get<std::string>();
    EXPECT_EQ(newest.parent_path(), journals());
    EXPECT_EQ(newest.extension(), ".jsonl");
    list[0].erase("journal"), list[0].erase("created"), list[0].erase("by");
    EXPECT_EQ(list[0], json({{"message", "Renamed 1 file."}, {"folder", folder.path().string()},
                             {"planned", 1}, {"moved", 1}, {"failed", 0}, {"state", "complete"}}));
    EXPECT_NE(run({"history"}).out.find("  complete  Renamed 1 file.  " + folder.path().string()),
              std::string::npos);
    // The newest batch renamed b.txt; b-1.txt was then renamed without a journal.
    EXPECT_EQ(run({"undo", "--last"}),
              (Result{1, "Put 0 files back.\n",
                      failed("not put back: " + quoted(at("b-1.txt")) +
                             ": it is no longer there")}));
    EXPECT_EQ(json::parse(run({"history", "--json"}).out)[0]["state"], "undone");
    // The newest journal is undone: --last says so and stops there.
    const Result stop = run({"undo", "--last"});
    EXPECT_EQ(stop.status, 2);
    EXPECT_NE(stop.err.find("already undone; nothing was moved"), std::string::npos) << stop.err;
    EXPECT_TRUE(exists("a-1.txt"));
    EXPECT_EQ(json::parse(run({"undo", "--json", history()[1]}).out),
              json::parse(R"({"putBack":1,"notPutBack":[],"message":"Put 1 file back."})"));
}

// Which journals prune keeps is the history's test; here, the option, the
// count, and a journal cut short as by a crash, shown pending and kept.
TEST_F(RenameCommands, HistoryPruneKeepsTheNewestItIsToldToAndCountsTheRest) {
    for (const std::string name : {"f0", "f1", "f2", "f3"}) {
        folder.write(name);
        ASSERT_EQ(suffixed({name}).status, 0);
    }
    const auto paths = history();
    const std::string text = contentsOf(paths[3]);
    std::ofstream(paths[3], std::ios::trunc) << text.substr(0, text.find("{\"state\""));
    EXPECT_EQ(json::parse(run({"history", "--json"}).out)[3]["state"], "pending");
    EXPECT_EQ(run({"history", "prune", "--keep", "1"}), (Result{0, "Removed 2 journals.\n", ""}));
    EXPECT_EQ(history(), (Names{paths[0], paths[3]}));
    EXPECT_EQ(run({"history", "prune"}).out, "Removed 0 journals.\n");
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
        EXPECT_EQ(run({"rename", "--step", upper, "--files-from", "list.txt", "--journal", j}),
                  (Result{2, "",
                          failed("journal " + quoted(at(j)) + ": " + reason +
                                 "; nothing was renamed")}));
        EXPECT_EQ(in("a.txt") + in("list.txt"), "aa.txt\n");
    }
    test::failWrites({});
    EXPECT_EQ(test::namesIn(folder.path()), (Names{"a.txt", "list.txt"}));
}

TEST_F(RenameCommands, AJournalThatCannotBeCompletedStillPutsEveryFileBack) {
    writeAB();
    // The disk fills up once the files have moved.
    test::failWrites([&](const fs::path&) -> std::optional<int> {
        return exists("B.txt") ? std::optional(ENOSPC) : std::nullopt;
    });
    const Result r = run({"rename", "--step", upper, "--journal", "j.jsonl", "a.txt", "b.txt"});
    test::failWrites({});
    EXPECT_EQ(r, (Result{1, "Renamed 2 files.\n",
                         failed("journal " + quoted(at("j.jsonl")) +
                                " could not be completed: No space left on device; it is left "
                                "pending and undo still puts every file back")}));
    EXPECT_FALSE(lines().back().contains("state"));
    EXPECT_EQ(run({"undo", "j.jsonl"}).out, "Put 2 files back.\n");
    EXPECT_EQ(in("a.txt") + in("b.txt"), "ab");
}

// How each byte is written is the journal's test; here, a path that isn't
// UTF-8 and one of escapes, renamed and put back.
TEST_F(RenameCommands, PathsRoundTripByteForByte) {
    const Names names = {"caf\xE9/x.txt", "q\"b\\n\nt\te\x01u\x1f"};
    Names args = {"rename", "--step", upper, "--journal", "j.jsonl"};
    for (const std::string& name : names) folder.write(name, name), args.push_back(name);
    ASSERT_EQ(run(args).status, 0);
    const auto j = lines();
    EXPECT_TRUE(j[1]["to"].contains("base64")) << j[1].dump();
    EXPECT_EQ(j[2]["from"], at(names[1]));
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
        "Couldn't rename " + quoted("b.txt") + " to " + quoted("B.txt") + ": Permission denied";
    const auto out = json::parse(r.out);
    EXPECT_EQ(out["message"], "Renamed 1; 1 failed \u2014 " + failure);
    EXPECT_EQ(out["failures"], json::array({{{"path", at("b.txt")}, {"message", failure}}}));
    const auto j = lines();
    EXPECT_EQ(j[5], json({{"failed", 2}, {"message", failure}}));
    EXPECT_EQ(j[6]["message"], out["message"]);
    EXPECT_EQ(j[6]["failed"], 1);
}

TEST_F(RenameCommands, AJournalOfTheEarlierFormIsUndoneUncheckedOnlyWhenNamed) {
    folder.write("A.txt");
    folder.write("B.txt");
    folder.write("b.txt", "in the way");
    const json earliest = {{"moves", {{{"from", at("a.txt")}, {"to", at("A.txt")}},
                                      {{"from", at("b.txt")}, {"to", at("B.txt")}}}}};
    // Never by --last: its files can't be recognised.
    fs::create_directories(journals());
    fs::permissions(journals(), fs::perms::owner_all);
    std::ofstream(journals() / "20991231T235959Z-1.json") << earliest.dump();
    const Result last = run({"undo", "--last"});
    EXPECT_EQ(last.status, 2);
    EXPECT_NE(last.err.find("undone only when named; nothing was moved"), std::string::npos);
    EXPECT_TRUE(exists("A.txt"));

    folder.write("j.json", earliest.dump());
    const Result r = run({"undo", "--json", "j.json"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(json::parse(r.out),
              json({{"putBack", 1},
                    {"notPutBack",
                     {{{"path", at("B.txt")}, {"reason", "another file has its old name now"}}}},
                    {"message", "Put 1 file back."}}));
    EXPECT_TRUE(exists("a.txt") && exists("B.txt"));
    EXPECT_EQ(in("b.txt"), "in the way");
    // Marked undone by a line appended after its document.
    EXPECT_EQ(run({"undo", "j.json"}).err, failed("j.json: already undone; nothing was moved"));
}

TEST_F(RenameCommands, UndoRefusesJournalsItCannotReadOrTrustBeforeMovingAnything) {
    folder.write("a");
    const auto base = folder.path().string();
    const auto planned = [&](const std::string& from, const std::string& to) {
        struct stat s;
        ::lstat(at("a").c_str(), &s);
        return R"({"tavixJournal":3,"planned":1})"
               "\n" +
               json({{"from", from}, {"to", to}, {"device", s.st_dev}, {"inode", s.st_ino},
                     {"birth", nullptr}, {"temporary", nullptr}})
                   .dump() +
               "\n{\"intent\":\"complete\"}\n";
    };
    const std::pair<std::string, std::string> cases[] = {
        {R"({"moves":[1,)", "not valid JSON"},
        {"[]", "not a journal (no \"moves\" list)"},
        // A document of the earliest form goes through a reader of its own.
        {R"({"moves":[{"from":"a","to":"b"}]})", "a path that isn't absolute"},
        {R"({"moves":[{"from":")" + base + R"(/a","to":"/etc/a"}]})",
         "a move that leaves its folder"},
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
    // Not a regular file: refused without waiting for a writer.
    ASSERT_EQ(::mkfifo(at("fifo").c_str(), 0600), 0);
    EXPECT_EQ(run({"undo", "fifo"}), (Result{2, "", failed("fifo: not a regular file")}));
}

// Journals read from standard input, cut short while their intent was written,
// and forged or left open to others: nothing is written or moved that shouldn't be.
TEST_F(RenameCommands, UndoNeverFollowsAJournalItCannotMarkOrTrust) {
    writeAB();
    ASSERT_EQ(suffixed({"--journal", "j.jsonl", "a.txt"}).status, 0);
    folder.write("-", "NOTES");
    EXPECT_EQ(run({"undo", "-"}, in("j.jsonl")),
              (Result{0, "Put 1 file back.\n",
                      failed("a journal read from standard input can't be marked undone")}));
    EXPECT_EQ(in("-"), "NOTES");
    EXPECT_TRUE(exists("a.txt"));

    ASSERT_EQ(suffixed({"a.txt"}).status, 0);
    const fs::path own = history().front();
    // A newer batch killed while it wrote its intent.
    plant(R"({"tavixJournal":3,"created":"2999-12-31T23:59:59Z","by":"t","planned":1})"
          "\n{\"from\":\"" + at("b.txt"));
    const Result cut = run({"undo", "--last"});
    EXPECT_EQ(cut.status, 2);
    EXPECT_NE(cut.err.find("the batch stopped before its first move; nothing to put back"),
              std::string::npos) << cut.err;
    EXPECT_TRUE(exists("a-1.txt"));

    // Another user's journal, newer, in our folder: named and left alone.
    const fs::path planted = plant(contentsOf(own));
    ASSERT_EQ(::chown(planted.c_str(), 12345, 12345), 0);
    EXPECT_EQ(run({"history"}).err,
              failed("skipped " + planted.string() + ": not trusted: owned by another user"));
    EXPECT_EQ(run({"undo", planted.string()}).status, 2);
    EXPECT_TRUE(exists("a-1.txt"));
    EXPECT_EQ(run({"undo", "--last"}).out, "Put 1 file back.\n");

    // A journal others may write, and a journal folder others may write.
    ASSERT_EQ(::chown(planted.c_str(), ::geteuid(), ::getegid()), 0);
    ASSERT_EQ(::chmod(planted.c_str(), 0622), 0);
    EXPECT_EQ(run({"undo", planted.string()}),
              (Result{2, "",
                      failed(planted.string() +
                             ": not trusted: writable by group or others; nothing was moved")}));
    ASSERT_EQ(::chmod(journals().c_str(), 0777), 0);
    EXPECT_EQ(run({"undo", "--last"}),
              (Result{2, "",
                      failed("journal folder " + quoted(journals().string()) +
                             " is not safe: writable by others")}));
    EXPECT_EQ(suffixed({"b.txt"}).status, 2);
    EXPECT_TRUE(exists("b.txt"));
}

TEST_F(RenameCommands, AFileWithTheRecordedInodeButAnotherBirthIsNotOurs) {
    folder.write("a.txt");
    ASSERT_EQ(suffixed({"--journal", "j.jsonl", "a.txt"}).status, 0);
    auto j = lines();
    if (j[1]["birth"].is_null()) GTEST_SKIP() << "this file system records no birth time";
    j[1]["birth"] = "2001-01-01T00:00:00.000000000Z";
    std::string text;
    for (const auto& line : j) text += line.dump() + "\n";
    folder.write("j.jsonl", text);
    EXPECT_EQ(run({"undo", "j.jsonl"}),
              (Result{1, "Put 0 files back.\n",
                      failed("not put back: " + quoted(at("a-1.txt")) +
                             ": another file is there now")}));
}

TEST_F(RenameCommands, AJournalReplacedWhileTheBatchRunsIsReportedTruthfully) {
    writeAB();
    bool replaced = false;
    const test::MoveHook replace([&](const fs::path&, const fs::path&) -> std::optional<int> {
        if (!std::exchange(replaced, true)) {
            fs::rename(folder.path() / "j.jsonl", folder.path() / "j.old");
            folder.write("j.jsonl", "someone else's");
        }
        return std::nullopt;
    });
    const Result r = suffixed({"--journal", "j.jsonl", "a.txt", "b.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, failed("journal " + quoted(at("j.jsonl")) +
                            " was replaced or removed while the batch ran: this batch has no "
                            "journal left; the 2 moves made were:") +
                         failed("moved " + quoted(at("a.txt")) + " to " + quoted(at("a-1.txt"))) +
                         failed("moved " + quoted(at("b.txt")) + " to " + quoted(at("b-1.txt"))));
    EXPECT_EQ(in("j.jsonl"), "someone else's");
}

// Cut in the middle of its third planned move, a complete journal still puts
// back the two before; through a link, undo marks the journal it leads to.
TEST_F(RenameCommands, ADamagedOrLinkedJournalPutsBackWhatItCanIdentify) {
    for (const std::string name : {"a", "b", "c", "d"}) folder.write(name + ".txt", name);
    ASSERT_EQ(suffixed({"--journal", "j.jsonl", "a.txt", "b.txt", "c.txt", "d.txt"}).status, 0);
    const std::string text = in("j.jsonl");
    const auto third = text.find('\n', text.find('\n', text.find('\n') + 1) + 1);
    folder.write("j.jsonl", text.substr(0, third + 20));
    EXPECT_EQ(run({"undo", "j.jsonl"}),
              (Result{2, "Put 2 files back.\n",
                      failed("damaged journal: the list of planned moves is cut short; its file, "
                             "if any, was not put back")}));
    EXPECT_TRUE(exists("a.txt") && exists("b.txt") && exists("c-1.txt"));

    ASSERT_EQ(suffixed({"--journal", "k.jsonl", "a.txt"}).status, 0);
    fs::create_symlink(folder.path() / "k.jsonl", folder.path() / "link.jsonl");
    EXPECT_EQ(run({"undo", "link.jsonl"}).status, 0);
    EXPECT_EQ(lines("k.jsonl").back()["state"], "undone");
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
