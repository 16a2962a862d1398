#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "journal/History.hpp"
#include "support/Files.hpp"
#include "support/TemporaryFolder.hpp"

namespace tavix::journal {
namespace {

namespace fs = std::filesystem;

class History : public ::testing::Test {
protected:
    History() { ::chmod(folder.path().c_str(), 0700); }
    // A file only its owner may write, as journals are kept.
    fs::path owned(const std::string& name, const std::string& text) const {
        const fs::path path = folder.write(name, text);
        ::chmod(path.c_str(), 0600);
        return path;
    }
    // A journal named `name` whose middle is whatever `middle` is, ending in `end`.
    void journal(const std::string& name, const std::string& middle, const std::string& end) const {
        owned(name,
              R"({"tavixJournal":3,"created":"2020-01-01T00:00:00Z","by":"t","planned":1})"
              "\n"
              R"({"from":"/d/a","to":"/d/b","device":1,"inode":2,"birth":null,"temporary":null})"
              "\n" +
                  middle + end);
    }
    // The journals' names, newest first.
    std::vector<std::string> names() {
        std::vector<Skipped> skipped;
        return test::namesOf(journalFiles(folder.path(), skipped));
    }

    test::TemporaryFolder folder;
    const std::string complete =
        R"({"state":"complete","message":"Renamed 1 file.","moved":1,"failed":0})"
        "\n";
    const std::string undone = R"({"state":"undone","putBack":1,"notPutBack":0})"
                               "\n";
};

// What history shows comes from a journal's first lines and its last state
// lines: the lines between aren't read, so a batch of any size costs the same.
TEST_F(History, AnEntryComesFromTheFirstLinesAndTheLastStateLines) {
    journal("20200101T000000Z-1.jsonl", "not read at all\n", complete + undone);
    const HistoryEntry entry = historyEntry(folder.path() / "20200101T000000Z-1.jsonl");
    EXPECT_EQ(entry.state, JournalState::undone);
    EXPECT_EQ(entry.message, "Renamed 1 file.");
    // A state line cut short by a crash is no state.
    journal("20200101T000000Z-2.jsonl", "{\"moved\":1}\n", "{\"state\":\"compl");
    EXPECT_EQ(historyEntry(folder.path() / "20200101T000000Z-2.jsonl").state,
              JournalState::pending);
    // The earlier form's entry comes from its whole document.
    const HistoryEntry old = historyEntry(
        owned("20200101T000000Z-3.json",
              R"({"tavixJournal":2,"state":"complete","planned":[{"from":"/d/a","to":"/d/b"}],)"
              R"("moves":[{"from":"/d/a","to":"/d/b"}],"message":"M"})"));
    EXPECT_EQ(old.state, JournalState::complete);
    EXPECT_EQ(old.message, "M");
    EXPECT_EQ(old.folder, "/d");
    EXPECT_EQ(old.moved, 1u);
    EXPECT_EQ(old.planned, 1u);
}

TEST_F(History, PruningByAgeKeepsTheNewestAndEveryPendingJournal) {
    journal("20200101T000000Z-1.jsonl", "", complete);           // old, finished
    journal("20200101T000000Z-2.jsonl", "", "");                 // old, pending
    journal("20200102T000000Z-1.jsonl", "", complete + undone);  // old, finished
    journal("29990101T000000Z-1.jsonl", "", complete);           // new
    journal("29990101T000000Z-2.jsonl", "", complete);           // new, the newest
    EXPECT_EQ(names(),
              (std::vector<std::string>{"29990101T000000Z-2.jsonl", "29990101T000000Z-1.jsonl",
                                        "20200102T000000Z-1.jsonl", "20200101T000000Z-2.jsonl",
                                        "20200101T000000Z-1.jsonl"}));
    std::vector<Skipped> skipped;
    // Beyond the newest one, only what is older than 90 days and finished goes.
    EXPECT_EQ(prune(folder.path(), 1, keptAge, skipped), 2u);
    EXPECT_EQ(names(),
              (std::vector<std::string>{"29990101T000000Z-2.jsonl", "29990101T000000Z-1.jsonl",
                                        "20200101T000000Z-2.jsonl"}));
    EXPECT_EQ(prune(folder.path(), 0, std::nullopt, skipped), 2u);
    EXPECT_EQ(names(), (std::vector<std::string>{"20200101T000000Z-2.jsonl"}));
    EXPECT_TRUE(skipped.empty());
}

}  // namespace
}  // namespace tavix::journal
