#include <gtest/gtest.h>
#include <sys/stat.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "support/CliRun.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;

// A batch that alternates between two folders at every file and spans several
// of the pieces a journal is written in: the planned moves keep the plan's
// order and each file's identity, and undo puts back every file that is still
// its own, naming the others in plan order.
using LargeJournal = test::CliFolder;

TEST_F(LargeJournal, ManyMovesAcrossFoldersAreUndoneWhateverTheLayout) {
    constexpr int count = 1100;  // more than one chunk
    const auto name = [](int i) {
        return std::string(i % 2 ? "a/" : "b/") + "f" + std::to_string(i) + ".txt";
    };
    const auto renamed = [](int i) {
        return std::string(i % 2 ? "a/" : "b/") + "f" + std::to_string(i) + "-1.txt";
    };
    std::string list;
    for (int i = 0; i < count; ++i) {
        folder.write(name(i), name(i));
        list += name(i) + "\n";
    }
    folder.write("list.txt", list);

    const auto done = run({"rename", "--journal", "j.jsonl", "--files-from", "list.txt", "--step",
                           R"({"addText":{"text":"-1","position":"After name"}})"});
    ASSERT_EQ(done.status, 0) << done.err;
    std::vector<nlohmann::json> journal;
    std::istringstream lines(in("j.jsonl"));
    for (std::string line; std::getline(lines, line);)
        journal.push_back(nlohmann::json::parse(line));
    // The header, the planned moves, the intent, a line per move, the state.
    ASSERT_EQ(journal.size(), static_cast<std::size_t>(2 * count + 3));
    for (int i = 0; i < count; ++i) {
        struct stat now;
        ASSERT_EQ(::lstat(at(renamed(i)).c_str(), &now), 0) << renamed(i);
        const auto& planned = journal[static_cast<std::size_t>(i) + 1];
        ASSERT_EQ(planned["from"], at(name(i)));
        ASSERT_EQ(planned["to"], at(renamed(i)));
        ASSERT_EQ(planned["inode"], now.st_ino) << name(i);
        ASSERT_EQ(journal[static_cast<std::size_t>(count + i) + 2]["moved"], i + 1);
    }

    // The first file moved has been replaced since, the last one removed.
    fs::rename(at(renamed(0)), at("b/kept.txt"));
    folder.write(renamed(0), "foreign");
    fs::remove(at(renamed(count - 1)));

    EXPECT_EQ(
        run({"undo", "j.jsonl"}),
        (test::CliResult{1, "Put " + std::to_string(count - 2) + " files back.\n",
                         "tavix-cli: not put back: " + test::quoted(at(renamed(0))) +
                             ": another file is there now\ntavix-cli: not put back: " +
                             test::quoted(at(renamed(count - 1))) + ": it is no longer there\n"}));
    for (int i = 1; i < count - 1; ++i) ASSERT_EQ(in(name(i)), name(i));
    EXPECT_NE(in("j.jsonl").find("{\"state\":\"undone\""), std::string::npos);
}

}  // namespace
}  // namespace tavix
