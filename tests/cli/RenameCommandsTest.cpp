#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <utility>

#include "support/CliRun.hpp"
#include "support/SystemCallFaults.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;
using Result = test::CliResult;
using nlohmann::json;
using test::contentsOf;
using test::namesIn;
using test::quoted;
using Names = std::vector<std::string>;

class RenameCommands : public test::CliFolder {
protected:
    ~RenameCommands() override { ::unsetenv("VISUAL"); }

    // The journal's text with what differs from run to run (its time and
    // program, identities, birth times, temporary names) as "*".
    std::string journal(const std::string& name = "j.jsonl") const {
        static const std::regex varies(
            R"re(("(?:created|by|device|inode|birth|temporary)":)(?:null|"[^"]*"|\d+))re");
        return std::regex_replace(in(name), varies, "$1*");
    }
    void writeAB() const { folder.write("a.txt", "a"), folder.write("b.txt", "b"); }
    // Adds "-1" to each name given after the options given.
    Result suffixed(std::vector<std::string> args) {
        args.insert(args.begin(), {"rename", "--step", suffix});
        return run(args);
    }
    fs::path journals() const { return state.path() / "journals"; }
    std::string failed(const std::string& why) const { return "tavix-cli: " + why + "\n"; }
    Result refused(const std::string& why) const { return {2, "", failed(why)}; }

    // The editor: a shell script that copies what it was given to "seen" beside
    // the script, then runs `body` with the file as $1.
    void editor(const std::string& body) {
        const fs::path script =
            tools.write("editor.sh", "#!/bin/sh\ncp \"$1\" \"" + (tools.path() / "seen").string() +
                                         "\"\n" + body + "\n");
        fs::permissions(script, fs::perms::owner_all);
        ::setenv("VISUAL", script.c_str(), 1);
    }
    // The path of the file that the error output says keeps the edits.
    static fs::path keptFile(const std::string& err) {
        std::smatch kept;
        return std::regex_search(err, kept, std::regex("kept in (.*)\n")) ? kept[1].str() : "";
    }

    test::TemporaryFolder tools;
    const std::string upper = R"({"changeCase":{"_0":"UPPERCASE"}})";
    const std::string suffix = R"({"addText":{"text":"-1","position":"After name"}})";
};

// The journal's lines as the batch goes, a move that fails reported and
// recorded (and not named by undo, since the file never left), an undo marked
// by an append, nothing left behind (no temporary names, no temporary journal).
TEST_F(RenameCommands, TheJournalRecordsIntentMovesAndFailuresAndUndoAppendsItsState) {
    writeAB();
    Result r;
    {
        const test::MoveHook refuse([&](const fs::path&, const fs::path& to) {
            return to == folder.path() / "B.txt" ? std::optional(EACCES) : std::nullopt;
        });
        r = run({"rename", "--json", "--journal", "j.jsonl", "--step", upper, "a.txt", "b.txt"});
    }
    EXPECT_EQ(r.status, 1);
    const std::string failure =
        "Couldn't rename " + quoted("b.txt") + " to " + quoted("B.txt") + ": Permission denied";
    const std::string message = "Renamed 1; 1 failed \u2014 " + failure;
    EXPECT_EQ(json::parse(r.out),
              json({{"moves", {{{"from", at("a.txt")}, {"to", at("A.txt")}}}},
                    {"failures", {{{"path", at("b.txt")}, {"message", failure}}}},
                    {"message", message}}));
    const std::string identity = R"(","device":*,"inode":*,"birth":*,"temporary":*})" "\n";
    const std::string renamed = R"({"tavixJournal":3,"created":*,"by":*,"planned":2})" "\n"
                                R"({"from":")" + at("a.txt") + R"(","to":")" + at("A.txt") +
                                identity + R"({"from":")" + at("b.txt") + R"(","to":")" +
                                at("B.txt") + identity + "{\"intent\":\"complete\"}\n"
                                "{\"moved\":1}\n{\"failed\":2,\"message\":\"" + failure +
                                "\"}\n{\"state\":\"complete\",\"message\":\"" + message +
                                "\",\"moved\":1,\"failed\":1}\n";
    EXPECT_EQ(journal(), renamed);
    EXPECT_EQ(run({"undo", "j.jsonl"}), (Result{0, "Put 1 file back.\n", ""}));
    EXPECT_EQ(journal(), renamed + R"({"state":"undone","putBack":1,"notPutBack":0})" "\n");
    EXPECT_EQ(test::filesIn(folder.path()),
              (std::map<std::string, std::string>{
                  {"a.txt", "a"}, {"b.txt", "b"}, {"j.jsonl", in("j.jsonl")}}));
}

// The state folder's journals: private, listed newest first, undone by --last
// (which never falls through to an older one), pruned on request.
TEST_F(RenameCommands, TheStateFolderIsPrivateListedNewestFirstAndUndoLastNeverFallsThrough) {
    writeAB();
    ASSERT_EQ(suffixed({"a.txt"}).status, 0);
    ASSERT_EQ(suffixed({"b.txt"}).status, 0);
    ASSERT_EQ(suffixed({"--no-journal", "b-1.txt"}).status, 0);
    EXPECT_EQ(fs::status(journals()).permissions(), fs::perms::owner_all);
    auto list = json::parse(run({"history", "--json"}).out);
    ASSERT_EQ(list.size(), 2u);
    const std::string newest = list[0]["journal"], older = list[1]["journal"];
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
    // The newest journal is undone: --last says so and stops there.
    EXPECT_EQ(run({"undo", "--last"}), refused(newest + ": already undone; nothing was moved"));
    EXPECT_EQ(json::parse(run({"undo", "--json", older}).out),
              json::parse(R"({"putBack":1,"notPutBack":[],"message":"Put 1 file back."})"));
    // Which journals prune keeps is the history's test; here, the option and the count.
    EXPECT_EQ(run({"history", "prune", "--keep", "1"}), (Result{0, "Removed 1 journal.\n", ""}));
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
        {"full.jsonl", "No space left on device"},
        // The batch would fail on its own journal.
        {"A.txt", "it is one of the batch's new names"}};
    for (const auto& [j, reason] : cases) {
        EXPECT_EQ(run({"rename", "--step", upper, "--files-from", "list.txt", "--journal", j}),
                  refused("journal " + quoted(at(j)) + ": " + reason + "; nothing was renamed"));
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
    EXPECT_EQ(in("j.jsonl").find("\"state\""), std::string::npos);
    EXPECT_EQ(run({"undo", "j.jsonl"}).out, "Put 2 files back.\n");
    EXPECT_EQ(in("a.txt") + in("b.txt"), "ab");
}

// How each byte is written is the journal's test; here, a path that isn't
// UTF-8 and one of escapes, renamed and put back by the journal, and a path
// through a link and "..", which the kernel resolves after the link: not to the
// y.txt a textual reading finds.
TEST_F(RenameCommands, PathsRoundTripByteForByteAndDotDotAsTheKernelResolvesIt) {
    folder.write("y.txt", "top");
    folder.write("deep/y.txt", "deep/y.txt");
    folder.folder("deep/inner");
    fs::create_symlink(folder.path() / "deep/inner", folder.path() / "link");
    const Names names = {"caf\xE9/x.txt", "q\"b\\n\nt\te\x01u\x1f"};
    Names args = {"rename", "--step", upper, "--journal", "j.jsonl", "link/../y.txt"};
    for (const std::string& name : names) folder.write(name, name), args.push_back(name);
    ASSERT_EQ(run(args).status, 0);
    EXPECT_EQ(in("y.txt") + in("deep/Y.txt"), "topdeep/y.txt");
    EXPECT_EQ(run({"undo", "j.jsonl"}).status, 0);
    for (const std::string& name : names) EXPECT_EQ(in(name), name);
    EXPECT_EQ(in("deep/y.txt"), "deep/y.txt");
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
    EXPECT_NE(run({"undo", "--last"}).err.find("undone only when named; nothing was moved"),
              std::string::npos);

    folder.write("j.json", earliest.dump());
    EXPECT_EQ(json::parse(run({"undo", "--json", "j.json"}).out),
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
    // A batch killed after its intent, before its first move, and one killed
    // while it wrote its intent.
    ASSERT_EQ(suffixed({"--journal", "k.jsonl", "a"}).status, 0);
    fs::rename(at("a-1"), at("a"));
    const std::string k = in("k.jsonl");
    const std::string stopped = "the batch stopped before its first move; nothing to put back";
    const std::pair<std::string, std::string> cases[] = {
        {R"({"moves":[1,)", "not valid JSON"},
        {"[]", "not a journal (no \"moves\" list)"},
        // A document of the earliest form goes through a reader of its own.
        {R"({"moves":[{"from":"a","to":"b"}]})", "a path that isn't absolute"},
        {k.substr(0, k.find("{\"moved\"")), stopped},
        {k.substr(0, k.find('\n') + 10), stopped},
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
    EXPECT_EQ(run({"undo", "fifo"}), refused("fifo: not a regular file"));
}

// Journals read from standard input, and forged or left open to others:
// nothing is written or moved that shouldn't be.
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
    const std::string own = json::parse(run({"history", "--json"}).out)[0]["journal"];
    // Another user's journal, newer, in our folder: named and left alone.
    const std::string planted = journals() / "29991231T235959Z-1.jsonl";
    fs::copy_file(own, planted);
    ASSERT_EQ(::chown(planted.c_str(), 12345, 12345), 0);
    EXPECT_EQ(run({"history"}).err,
              failed("skipped " + planted + ": not trusted: owned by another user"));
    EXPECT_EQ(run({"undo", planted}).status, 2);
    EXPECT_EQ(run({"undo", "--last"}).out, "Put 1 file back.\n");

    // A journal others may write, and a journal folder others may write.
    ASSERT_EQ(::chown(planted.c_str(), ::geteuid(), ::getegid()), 0);
    ASSERT_EQ(::chmod(planted.c_str(), 0622), 0);
    EXPECT_EQ(run({"undo", planted}),
              refused(planted + ": not trusted: writable by group or others; nothing was moved"));
    ASSERT_EQ(::chmod(journals().c_str(), 0777), 0);
    EXPECT_EQ(suffixed({"b.txt"}),
              refused("journal folder " + quoted(journals()) +
                      " is not safe: writable by others; nothing was renamed"));
    EXPECT_TRUE(exists("b.txt"));
}

TEST_F(RenameCommands, AFileWithTheRecordedInodeButAnotherBirthIsNotOurs) {
    folder.write("a.txt");
    ASSERT_EQ(suffixed({"--journal", "j.jsonl", "a.txt"}).status, 0);
    const std::regex birth(R"("birth":"[^"]*")");
    if (!std::regex_search(in("j.jsonl"), birth))
        GTEST_SKIP() << "this file system records no birth time";
    folder.write("j.jsonl", std::regex_replace(in("j.jsonl"), birth,
                                               R"("birth":"2001-01-01T00:00:00.000000000Z")"));
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
    EXPECT_TRUE(in("k.jsonl").ends_with("{\"state\":\"undone\",\"putBack\":1,\"notPutBack\":0}\n"));
}

// Lines reordered, one deleted, one a name with a tab and a newline.
TEST_F(RenameCommands, EditRenamesWhatWasChangedAndLeavesDeletedLinesAlone) {
    folder.write("sub/c.txt", "c");
    for (const std::string name : {"a.txt", "b.txt", "tab\there.txt"}) folder.write(name, name);
    editor(
        "printf '3\\tone\\\\ttwo\\\\nthree.txt\\n2\\tB.txt\\n# a comment\\n\\n4\\tc.txt\\n' > "
        "\"$1\"");
    EXPECT_EQ(
        run({"edit", "--yes", "--no-journal", "a.txt", "b.txt", "tab\there.txt", "sub/c.txt"}),
        (Result{0,
                "a.txt  \u2192  a.txt\nb.txt  \u2192  B.txt\n"
                "tab\\there.txt  \u2192  one\\ttwo\\nthree.txt\nc.txt  \u2192  c.txt\n"
                "4 files \u00B7 2 will change\nRenamed 2 files.\n",
                ""}));
    EXPECT_EQ(contentsOf(tools.path() / "seen"),
              "# " + folder.path().string() + "\n1\ta.txt\n2\tb.txt\n3\ttab\\there.txt\n\n# " +
                  at("sub") + "\n4\tc.txt\n");
    EXPECT_EQ(test::filesIn(folder.path()), (std::map<std::string, std::string>{
                                                {"B.txt", "b.txt"},
                                                {"a.txt", "a.txt"},
                                                {"one\ttwo\nthree.txt", "tab\there.txt"}}));
}

// Which lines can't be read is the edit text's test; here, that such text is
// kept as typed, and that nothing is renamed without a yes or when the editor fails.
TEST_F(RenameCommands, EditRenamesNothingUnreadableUnconfirmedOrAfterAFailedEditor) {
    folder.write("a", "a");
    folder.write("b", "b");
    editor("printf '1\\tx\\n1\\ty\\n' > \"$1\"; cp \"$1\" \"$1.typed\"");
    const auto unreadable = run({"edit", "--yes", "--no-journal", "a", "b"});
    EXPECT_EQ(contentsOf(tools.path() / "seen"), "1\ta\n2\tb\n");  // one folder: not named
    EXPECT_EQ(unreadable.status, 2);
    EXPECT_TRUE(unreadable.err.starts_with(
        "tavix-cli: line 2: file 1 is given twice; nothing was renamed\n"))
        << unreadable.err;
    const fs::path kept = keptFile(unreadable.err);
    ASSERT_FALSE(kept.empty()) << unreadable.err;
    EXPECT_EQ(contentsOf(kept), contentsOf(kept.string() + ".typed"));
    fs::remove(kept);

    editor("printf '1\\tz\\n' > \"$1\"");
    const auto noTerminal = run({"edit", "--no-journal", "a"});
    EXPECT_EQ(noTerminal.status, 1);
    EXPECT_NE(noTerminal.err.find("--yes"), std::string::npos);
    fs::remove(keptFile(noTerminal.err));
    inIsTerminal = true;
    EXPECT_EQ(run({"edit", "--no-journal", "a"}, "n\n"),
              (Result{1, "a  \u2192  z\n1 file \u00B7 1 will change\n", "Rename 1 file? [y/N] "}));
    EXPECT_EQ(namesIn(folder.path()), (Names{"a", "b"}));
    EXPECT_EQ(run({"edit", "--no-journal", "a"}, "y\n").status, 0);
    editor("printf '1\\ty\\n' > \"$1\"; exit 1");
    EXPECT_EQ(run({"edit", "--yes", "--no-journal", "z"}),
              (Result{1, "", "tavix-cli: the editor exited with status 1; nothing was renamed\n"}));
    EXPECT_EQ(namesIn(folder.path()), (Names{"b", "z"}));
}

}  // namespace
}  // namespace tavix
