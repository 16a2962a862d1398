// Batches killed at any rename and then undone: every file ends where it was.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <map>
#include <random>
#include <thread>

#include "support/CliRun.hpp"
#include "support/SystemCallFaults.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;
using Listing = std::map<std::string, std::string>;  // name → contents
using Args = std::vector<std::string>;

// Runs `args` with `input` in a child process, killed at its `atMove`-th
// rename (a whole move, one leg of a move through a temporary name, or an
// exchange): by itself just before it, or by the parent `parentDelay`
// microseconds after being told it got there.
void killedRun(const Args& args, const std::string& input, const fs::path& cwd,
               const fs::path& state, int atMove, std::optional<int> parentDelay = {}) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int moves = 0;
        test::failMovesTo([&](const fs::path&, const fs::path&) -> std::optional<int> {
            if (++moves == atMove && !parentDelay) ::raise(SIGKILL);
            if (moves == atMove) (void)!::write(ends[1], "!", 1);
            return std::nullopt;
        });
        ::_exit(test::runCli(args, cwd, input, false, state).status);
    }
    ::close(ends[1]);
    char told;
    if (parentDelay && ::read(ends[0], &told, 1) == 1) {
        std::this_thread::sleep_for(std::chrono::microseconds(*parentDelay));
        ::kill(child, SIGKILL);
    }
    ::close(ends[0]);
    ::waitpid(child, nullptr, 0);
}

// Undoes `journal`; a batch killed before its first move has nothing to put back.
void expectUndone(const fs::path& journal, const fs::path& cwd, const fs::path& state) {
    const auto back = test::runCli({"undo", journal.string()}, cwd, "", false, state);
    EXPECT_TRUE(back.status == 0 ||
                back.err.find("stopped before its first move") != std::string::npos)
        << back.err;
}

// One random batch over a folder's files: which file goes to which name.
struct RandomBatch {
    Listing before;
    std::map<std::string, std::string> moves;  // old name → new name

    std::string map() const {
        std::string text;
        for (const auto& [from, to] : moves) text.append(from).append("\t").append(to) += '\n';
        return text;
    }
    Listing after() const {
        Listing files = before;
        for (const auto& [from, to] : moves) files.erase(from);
        for (const auto& [from, to] : moves) files[to] = before.at(from);
        return files;
    }
};

// One group of files named from a small pool of letters, so that names given
// up are wanted often: a random permutation of some of them (swaps, 3-cycles,
// longer cycles), or a shift by one; then some files leave their cycle for a
// free name (chains), and some change letter case only. Adds the group to
// `batch`. (Which batches are blocked is the engine's test.)
void addRandomGroup(RandomBatch& batch, const std::string& prefix, std::mt19937& random) {
    const auto chance = [&](double p) { return std::bernoulli_distribution(p)(random); };
    const auto below = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    std::vector<std::string> pool;
    for (char c = 'a'; c <= 'p'; ++c) pool.push_back(prefix + c);
    std::shuffle(pool.begin(), pool.end(), random);
    const std::size_t fileCount = 3 + below(8);
    for (std::size_t i = 0; i < fileCount; ++i) batch.before[pool[i]] = "file " + pool[i];
    std::vector<std::string> free(pool.begin() + static_cast<std::ptrdiff_t>(fileCount),
                                  pool.end());

    std::vector<std::string> moving(pool.begin(), pool.begin() + 2 + below(fileCount - 1));
    std::vector<std::string> to = moving;
    if (chance(0.25)) {
        std::ranges::sort(moving);
        to.assign(moving.begin() + 1, moving.end());
        to.push_back(free.back());
        free.pop_back();
    } else {
        std::shuffle(to.begin(), to.end(), random);
    }
    for (std::size_t i = 0; i < moving.size(); ++i) {
        if (chance(0.15) && !free.empty()) {
            to[i] = free.back();
            free.pop_back();
        }
    }
    // A change of case where no other file wants the name: names that differ
    // only in case would clash.
    for (std::size_t i = 0; i < moving.size(); ++i) {
        if (chance(0.15) && std::ranges::count(to, moving[i]) == (to[i] == moving[i] ? 1 : 0)) {
            std::ranges::transform(to[i] = moving[i], to[i].begin(), ::toupper);
        }
    }
    for (std::size_t i = 0; i < moving.size(); ++i) {
        if (to[i] != moving[i]) batch.moves[moving[i]] = to[i];
    }
}

Args withChains(const fs::path& journal) {
    return {"rename", "--chains", "--journal", journal.string(), "--map", "-"};
}

// Ten groups side by side in one folder, renamed as one batch, undone, then
// renamed again and killed at a random rename.
TEST(ChainsKill, RandomBatchesEndAsPlannedAndUndoAfterAKillPutsEveryFileBack) {
    test::TemporaryFolder temp;
    // Journals are synced as they are begun and ended: in memory, where the
    // machine has a folder there, they don't wait for a disk.
    std::error_code noMemory;
    const bool inMemory = fs::is_directory("/dev/shm", noMemory) && ::access("/dev/shm", W_OK) == 0;
    test::TemporaryFolder journals(inMemory ? fs::path("/dev/shm") : temp.path());
    const fs::path state = journals.path();
    std::mt19937 random(20261210);
    // 50 batches where every fork and rename is checked for memory faults.
#if defined(__SANITIZE_ADDRESS__)
    constexpr int trials = 50;
#else
    constexpr int trials = 1000;
#endif
    for (int trial = 0; trial < trials; ++trial) {
        RandomBatch batch;
        for (char group = '0'; group <= '9'; ++group)
            addRandomGroup(batch, std::string("g") + group + "-", random);
        // One batch in four on a file system that can't swap two names in one
        // step: its swaps go through temporary names.
        test::refuseExchanges(trial % 4 == 3);
        SCOPED_TRACE("trial " + std::to_string(trial) + ":\n" + batch.map());
        const test::TemporaryFolder files(temp.path());
        const fs::path& folder = files.path();
        for (const auto& [name, contents] : batch.before) files.write(name, contents);
        const fs::path journal = state / ("j" + std::to_string(trial) + ".jsonl");

        const auto renamed = test::runCli(withChains(journal), folder, batch.map(), false, state);
        ASSERT_EQ(renamed.status, 0) << renamed.out << renamed.err;
        ASSERT_EQ(test::filesIn(folder), batch.after());
        const auto undone = test::runCli({"undo", journal.string()}, folder, "", false, state);
        ASSERT_EQ(undone.status, 0) << undone.err;
        ASSERT_EQ(test::filesIn(folder), batch.before);

        const int steps = static_cast<int>(batch.moves.size()) * 2;
        const int atMove = std::uniform_int_distribution<int>(1, steps)(random);
        const fs::path killed = state / ("k" + std::to_string(trial) + ".jsonl");
        killedRun(withChains(killed), batch.map(), folder, state, atMove);
        expectUndone(killed, folder, state);
        ASSERT_EQ(test::filesIn(folder), batch.before) << "killed at rename " << atMove;
    }
    test::refuseExchanges(false);
}

// 2,000 files in three folders in turn, half changing letter case only
// (through a temporary name), half getting a new name, in a journal of many
// pieces; killed by itself at an exact move, or by the parent at any moment
// after one, mid-write or not.
TEST(KilledBatch, UndoPutsEveryFileBackAfterSigkillAtAnyPoint) {
    constexpr int fileCount = 2000;
    const Args folders = {"f0", "f1", "f2"};
    std::mt19937 random(20261207);
    for (int trial = 0; trial < 5; ++trial) {
        test::TemporaryFolder temp;
        const auto listing = [&] {
            std::vector<Listing> files;
            for (const auto& folder : folders)
                files.push_back(test::filesIn(temp.path() / "files" / folder));
            return files;
        };
        std::string list;
        for (int i = 0; i < fileCount; ++i) {
            const std::string name =
                folders[i % 3] + (i % 2 ? "/b" : "/a") + std::to_string(i) + ".txt";
            list += temp.write("files/" + name, name).string() + "\n";
        }
        temp.write("list.txt", list);
        const auto before = listing();
        // Every file makes one move; a change of case makes two.
        const int atMove = std::uniform_int_distribution<int>(1, fileCount * 3 / 2)(random);
        const int delay = std::uniform_int_distribution<int>(0, 20000)(random);
        const bool byParent = trial % 2 == 1;
        SCOPED_TRACE("trial " + std::to_string(trial) + ", move " + std::to_string(atMove));
        const Args rename = {"rename", "--journal", "j.jsonl", "--files-from", "list.txt",
                             "--step", "changeCase upper", "--step",
                             "findReplace find=B replace=Bee- caseSensitive=true"};
        killedRun(rename, "", temp.path(), temp.path() / "state", atMove,
                  byParent ? std::optional(delay) : std::nullopt);
        // Killed by itself, the child always dies mid-batch: no state line.
        if (!byParent) {
            EXPECT_EQ(test::contentsOf(temp.path() / "j.jsonl").find("\"state\""),
                      std::string::npos);
        }
        expectUndone("j.jsonl", temp.path(), temp.path() / "state");
        // Every file back, and nothing else: no temporary files.
        EXPECT_EQ(listing(), before);
        EXPECT_EQ(test::namesIn(temp.path()), (Args{"files", "j.jsonl", "list.txt"}));
    }
}

}  // namespace
}  // namespace tavix
