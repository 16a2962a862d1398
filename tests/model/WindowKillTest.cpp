#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "model/TavixModel.hpp"
#include "support/Files.hpp"
#include "support/SystemCallFaults.hpp"
#include "support/TemporaryFolder.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;
using Step = TavixModel::IdentifiedRule;

// The window's rename of `files` in a child process, killed just before move
// `atMove` of the batch (also between the two steps of a change of letter case).
// Half the files change case only ("a0001.txt" → "A0001.txt", through a
// temporary name), half get a new name ("b0001.txt" → "Bee-0001.txt").
void killedRename(const std::vector<Location>& files, const fs::path& state, int atMove) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TavixModel model;
        model.setStateFolder(state);
        model.add(files);
        model.setRules(
            {Step::make(RenameRule{ChangeCase{CaseStyle::upper}}),
             Step::make(RenameRule{FindReplace{"B", "Bee-", false, true, Occurrences::all}})});
        int moves = 0;
        test::failMovesTo([&](const fs::path&, const fs::path&) {
            if (++moves == atMove) ::raise(SIGKILL);
            return std::optional<int>();
        });
        model.rename();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
}

// Every file makes one move, a change of case two; one trial is killed before
// the first move.
TEST(KilledWindowRename, UndoPutsEveryFileBack) {
    std::mt19937 random(20261209);
    for (int trial = 0; trial < 6; ++trial) {
        test::TemporaryFolder temp;
        std::map<std::string, std::string> names;
        std::vector<Location> files;
        for (int i = 0; i < 1000; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "%c%04d.txt", i % 2 ? 'b' : 'a', i);
            names[name] = name;
            files.push_back(temp.write(std::string("files/") + name, name));
        }
        const int atMove = trial == 1 ? 1 : std::uniform_int_distribution<int>(1, 1500)(random);
        SCOPED_TRACE("trial " + std::to_string(trial) + ", move " + std::to_string(atMove));
        killedRename(files, temp.path() / "state", atMove);

        TavixModel model;
        model.setStateFolder(temp.path() / "state");
        const auto batches = model.history().batches;
        ASSERT_EQ(batches.size(), 1u);
        EXPECT_EQ(batches[0].state, journal::JournalState::pending);
        model.undoBatch(batches[0].journal);
        EXPECT_TRUE(model.notPutBack().empty());
        EXPECT_EQ(test::filesIn(temp.path() / "files"), names);
        if (atMove > 1) {
            EXPECT_EQ(model.history().batches.at(0).state, journal::JournalState::undone);
        }
    }
}

}  // namespace
}  // namespace tavix
