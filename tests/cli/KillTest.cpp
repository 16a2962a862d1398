#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "cli/Cli.hpp"
#include "support/CliRun.hpp"
#include "support/Files.hpp"
#include "support/TemporaryFolder.hpp"
#include "system/FileSystem.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;

constexpr int fileCount = 2000;

using testing::contentsOf;

int runCli(const std::vector<std::string>& args, const fs::path& cwd, std::string* err = nullptr) {
    const auto result = testing::runCli(args, cwd, "", false, cwd / "state");
    if (err) *err = result.err;
    return result.status;
}

// Half the files change letter case only ("a0001.txt" → "A0001.txt", through a
// temporary name), half get a new name ("b0001.txt" → "Bee-0001.txt").
const std::vector<std::string> renameArguments = {
    "rename",           "--journal", "j.json",
    "--files-from",     "list.txt",  "--step",
    "changeCase upper", "--step",    "findReplace find=B replace=Bee- caseSensitive=true"};

// The child renames; it is killed `atMove` moves into the batch, either by
// itself just before that move (exactly, also between the two steps of a case
// change) or by the parent, some microseconds after being told it got there.
void killedBatch(const fs::path& cwd, int atMove, bool byParent, int delayMicroseconds) {
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeEnds[0]);
        int moves = 0;
        FileSystem::testing::failMovesTo(
            [&](const fs::path&, const fs::path&) -> std::optional<int> {
                if (++moves == atMove) {
                    if (!byParent) ::raise(SIGKILL);
                    (void)!::write(pipeEnds[1], "!", 1);
                }
                return std::nullopt;
            });
        ::_exit(runCli(renameArguments, cwd));
    }
    ::close(pipeEnds[1]);
    if (byParent) {
        char signal;
        if (::read(pipeEnds[0], &signal, 1) == 1) {
            std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds));
            ::kill(child, SIGKILL);
        }
    }
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
}

TEST(KilledBatch, UndoPutsEveryFileBackAfterSigkillAtAnyPoint) {
    std::mt19937 random(20261207);
    for (int trial = 0; trial < 5; ++trial) {
        testing::TemporaryFolder temp;
        const fs::path folder = temp.folder("files");
        std::set<std::string> names;
        std::string list;
        for (int i = 0; i < fileCount; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "%c%04d.txt", i % 2 ? 'b' : 'a', i);
            names.insert(name);
            temp.write(std::string("files/") + name, name);
            list += std::string("files/") + name + "\n";
        }
        temp.write("list.txt", list);
        // Every file makes one move; a change of case makes two.
        const int totalMoves = fileCount + fileCount / 2;
        const int atMove = std::uniform_int_distribution<int>(1, totalMoves)(random);
        const bool byParent = trial % 2 == 1;
        const int delay = std::uniform_int_distribution<int>(0, 20000)(random);
        killedBatch(temp.path(), atMove, byParent, delay);
        SCOPED_TRACE("trial " + std::to_string(trial) + ", killed at move " +
                     std::to_string(atMove) +
                     (byParent ? " + " + std::to_string(delay) + " µs" : ""));

        // Killed by itself, the child always dies mid-batch.
        if (!byParent) {
            EXPECT_NE(contentsOf(temp.path() / "j.json").find("\"state\":\"pending\""),
                      std::string::npos);
        }
        std::string err;
        EXPECT_EQ(runCli({"undo", "j.json"}, temp.path(), &err), 0) << err;
        std::set<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = entry.path().filename();
            found.insert(name);
            EXPECT_EQ(contentsOf(entry.path()), name);
        }
        EXPECT_EQ(found, names);
    }
}

}  // namespace
}  // namespace tavix
