#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <map>
#include <thread>

#include "support/CliRun.hpp"
#include "support/SystemCallFaults.hpp"
#include "system/FileSystem.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;
using test::contentsOf;

// Half the files change letter case only ("a0001.txt" → "A0001.txt", through a
// temporary name), half get a new name ("b0001.txt" → "Bee-0001.txt"). The child
// renames and is killed `atMove` moves into the batch: by itself just before that
// move (exactly, also between the two steps of a case change), or by the parent
// some microseconds after being told it got there.
void killedBatch(const fs::path& cwd, int atMove, bool byParent, int delayMicroseconds) {
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int moves = 0;
        test::failMovesTo(
            [&](const fs::path&, const fs::path&) -> std::optional<int> {
                if (++moves == atMove && !byParent) ::raise(SIGKILL);
                if (moves == atMove) (void)!::write(pipeEnds[1], "!", 1);
                return std::nullopt;
            });
        ::_exit(test::runCli({"rename", "--journal", "j.jsonl", "--files-from", "list.txt",
                                 "--step", "changeCase upper", "--step",
                                 "findReplace find=B replace=Bee- caseSensitive=true"},
                                cwd, "", false, cwd / "state")
                    .status);
    }
    ::close(pipeEnds[1]);
    char signal;
    if (byParent && ::read(pipeEnds[0], &signal, 1) == 1) {
        std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds));
        ::kill(child, SIGKILL);
    }
    ::close(pipeEnds[0]);
    ::waitpid(child, nullptr, 0);
}

TEST(KilledBatch, UndoPutsEveryFileBackAfterSigkillAtAnyPoint) {
    constexpr int fileCount = 2000;
    std::mt19937 random(20261207);
    for (int trial = 0; trial < 5; ++trial) {
        test::TemporaryFolder temp;
        std::map<std::string, std::string> files;
        std::string list;
        for (int i = 0; i < fileCount; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "%c%04d.txt", i % 2 ? 'b' : 'a', i);
            files[name] = name;
            list += temp.write(std::string("files/") + name, name).string() + "\n";
        }
        temp.write("list.txt", list);
        // Every file makes one move; a change of case makes two.
        const int atMove = std::uniform_int_distribution<int>(1, fileCount * 3 / 2)(random);
        const bool byParent = trial % 2 == 1;
        const int delay = std::uniform_int_distribution<int>(0, 20000)(random);
        killedBatch(temp.path(), atMove, byParent, delay);
        SCOPED_TRACE("trial " + std::to_string(trial) + ", move " + std::to_string(atMove));
        // Killed by itself, the child always dies mid-batch: no state line.
        if (!byParent) {
            EXPECT_EQ(contentsOf(temp.path() / "j.jsonl").find("\"state\""), std::string::npos);
        }
        const auto undone =
            test::runCli({"undo", "j.jsonl"}, temp.path(), "", false, temp.path() / "state");
        // Killed before its first move, the batch has nothing to put back, and says so.
        EXPECT_TRUE(undone.status == 0 ||
                    undone.err.find("stopped before its first move") != std::string::npos)
            << undone.err;
        EXPECT_EQ(test::filesIn(temp.path() / "files"), files);
        // Nothing but the journal and what the test made: no temporary files.
        EXPECT_EQ(test::namesIn(temp.path()),
                  (std::vector<std::string>{"files", "j.jsonl", "list.txt"}));
    }
}

}  // namespace
}  // namespace tavix
