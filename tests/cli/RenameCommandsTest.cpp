#include <gtest/gtest.h>

#include <cerrno>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/Cli.hpp"
#include "system/FileSystem.hpp"
#include "support/TemporaryFolder.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;
using testing::TemporaryFolder;

struct Result {
    int status;
    std::string out;
    std::string err;
};

class RenameCommands : public ::testing::Test {
protected:
    Result run(const std::vector<std::string>& args) {
        std::istringstream in;
        std::ostringstream out, err;
        cli::Io io{in, out, err, false, false, folder.path()};
        const int status = cli::run(args, io);
        return {status, out.str(), err.str()};
    }
    bool exists(const std::string& name) const { return fs::exists(folder.path() / name); }

    TemporaryFolder folder;
    const std::string upper = R"({"changeCase":{"_0":"UPPERCASE"}})";
};

TEST_F(RenameCommands, RenameThenUndoThroughTheJournal) {
    folder.write("a.txt");
    folder.write("b.txt");
    const Result renamed =
        run({"rename", "--step", upper, "--journal", "j.json", "a.txt", "b.txt"});
    EXPECT_EQ(renamed.status, 0) << renamed.err;
    EXPECT_EQ(renamed.out, "Renamed 2 files.\n");
    EXPECT_TRUE(exists("A.txt") && exists("B.txt"));
    EXPECT_FALSE(exists("a.txt"));

    const auto journal = nlohmann::json::parse(std::ifstream(folder.path() / "j.json"));
    EXPECT_EQ(journal["moves"][0]["from"], (folder.path() / "a.txt").string());
    EXPECT_EQ(journal["moves"][0]["to"], (folder.path() / "A.txt").string());
    EXPECT_EQ(journal["message"], "Renamed 2 files.");

    const Result undone = run({"undo", "j.json"});
    EXPECT_EQ(undone.status, 0) << undone.err;
    EXPECT_EQ(undone.out, "Put 2 files back.\n");
    EXPECT_TRUE(exists("a.txt") && exists("b.txt"));
    EXPECT_FALSE(exists("A.txt"));
    // Nothing is left behind: no temporary names, no temporary journal.
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 3);
}

TEST_F(RenameCommands, RenameNothingWhenThePlanHasProblemsOrNoChange) {
    folder.write("one/a.txt");
    folder.write("two/a.txt");
    const Result clash = run({"rename", "--journal", "j.json", "one/a.txt", "two/a.txt"});
    EXPECT_EQ(clash.status, 1);
    EXPECT_EQ(clash.out,
              "a.txt  \u2192  Two files would share this name\n"
              "a.txt  \u2192  Two files would share this name\n"
              "2 files \u00B7 0 will change\n");
    EXPECT_FALSE(exists("j.json"));

    const Result same = run({"rename", "--json", "one/a.txt"});
    EXPECT_EQ(same.status, 1);
    EXPECT_EQ(nlohmann::json::parse(same.out)["changedCount"], 0);
}

TEST_F(RenameCommands, ReportsFailuresAndStillWritesTheJournal) {
    folder.write("a.txt");
    folder.write("b.txt");
    const auto blocked = folder.path() / "B.txt";
    FileSystem::testing::failMovesTo(
        [&](const fs::path&, const fs::path& to) -> std::optional<int> {
            if (to == blocked) return EACCES;
            return std::nullopt;
        });
    const Result r =
        run({"rename", "--json", "--journal", "j.json", "--step", upper, "a.txt", "b.txt"});
    FileSystem::testing::failMovesTo({});
    EXPECT_EQ(r.status, 1);
    const std::string failure =
        "Couldn't rename \u201Cb.txt\u201D to \u201CB.txt\u201D: Permission denied";
    const auto json = nlohmann::json::parse(r.out);
    EXPECT_EQ(json["message"], "Renamed 1; 1 failed \u2014 " + failure);
    EXPECT_EQ(json["moves"].size(), 1u);
    EXPECT_EQ(json["failures"][0]["path"], (folder.path() / "b.txt").string());
    EXPECT_EQ(json["failures"][0]["message"], failure);
    const auto journal = nlohmann::json::parse(std::ifstream(folder.path() / "j.json"));
    EXPECT_EQ(journal, json);
    EXPECT_TRUE(exists("A.txt") && exists("b.txt"));
}

TEST_F(RenameCommands, AJournalThatCannotBeWrittenStopsBeforeAnyRename) {
    folder.write("a.txt");
    const Result r = run({"rename", "--step", upper, "--journal", "no/such/j.json", "a.txt"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, "tavix-cli: " + (folder.path() / "no/such/j.json").string() +
                         ": No such file or directory\n");
    EXPECT_TRUE(exists("a.txt"));
}

TEST_F(RenameCommands, UndoCountsOnlyWhatItPutBack) {
    folder.write("A.txt");
    folder.write("B.txt");
    folder.write("b.txt", "in the way");
    const auto base = folder.path().string();
    folder.write("j.json", R"({"moves":[{"from":")" + base + R"(/a.txt","to":")" + base +
                               R"(/A.txt"},{"from":")" + base + R"(/b.txt","to":")" + base +
                               R"(/B.txt"}]})");
    const Result r = run({"undo", "--json", "j.json"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(nlohmann::json::parse(r.out),
              nlohmann::json::parse(R"({"putBack":1,"message":"Put 1 file back."})"));
    EXPECT_TRUE(exists("a.txt") && exists("B.txt"));
}

TEST_F(RenameCommands, UndoRefusesJournalsItCannotTrust) {
    const auto base = folder.path().string();
    folder.write("bad.json", "[1,2");
    folder.write("list.json", "[]");
    folder.write("relative.json", R"({"moves":[{"from":"a","to":"b"}]})");
    folder.write("away.json", R"({"moves":[{"from":")" + base + R"(/a","to":"/etc/a"}]})");
    const std::pair<std::string, std::string> cases[] = {
        {"bad.json", "tavix-cli: bad.json: not valid JSON\n"},
        {"list.json", "tavix-cli: list.json: not a journal (no \"moves\" list)\n"},
        {"relative.json", "tavix-cli: relative.json: move 1 needs absolute paths\n"},
        {"away.json", "tavix-cli: away.json: move 1 leaves its folder\n"},
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
