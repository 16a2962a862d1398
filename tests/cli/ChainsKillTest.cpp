#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>

#include "support/CliRun.hpp"
#include "support/SystemCallFaults.hpp"
#include "system/FileSystem.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;
using Listing = std::map<std::string, std::string>;  // name → contents

void makeListing(const fs::path& folder, const Listing& files) {
    for (const auto& entry : fs::directory_iterator(folder)) fs::remove(entry.path());
    for (const auto& [name, contents] : files) {
        std::ofstream(folder / name, std::ios::binary) << contents;
    }
}

std::string upper(std::string name) {
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name;
}

// One random batch over a folder's files: which file goes to which name.
struct RandomBatch {
    Listing before;
    std::map<std::string, std::string> moves;  // old name → new name
    bool heldOutside = false;                   // a new name is a file's outside the batch

    std::string map() const {
        std::string text;
        for (const auto& [from, to] : moves) text.append(from).append("\t").append(to) += '\n';
        return text;
    }
    Listing after() const {
        if (heldOutside) return before;
        Listing files = before;
        for (const auto& [from, to] : moves) files.erase(from);
        for (const auto& [from, to] : moves) files[to] = before.at(from);
        return files;
    }
};

// One group of files named from a small pool of letters, so that names given
// up are wanted often: a random permutation of some of them (swaps, 3-cycles,
// longer cycles), or a shift by one; then some files leave their cycle for a
// free name (chains), some change letter case only, and now and then one wants
// a name held by a file outside the batch. Adds the group to `batch`.
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
            to[i] = upper(moving[i]);
        }
    }
    if (chance(0.01) && moving.size() < fileCount) {
        to[below(to.size())] = pool[moving.size() + below(fileCount - moving.size())];
        batch.heldOutside = true;
    }
    for (std::size_t i = 0; i < moving.size(); ++i) {
        if (to[i] != moving[i]) batch.moves[moving[i]] = to[i];
    }
}

// Groups of files side by side in one folder, renamed as one batch.
RandomBatch randomBatch(std::mt19937& random) {
    RandomBatch batch;
    for (char group = '0'; group <= '9'; ++group) {
        addRandomGroup(batch, std::string("g") + group + "-", random);
    }
    return batch;
}

test::CliResult renameWithChains(const RandomBatch& batch, const fs::path& folder,
                                    const fs::path& journal, const fs::path& state) {
    return test::runCli({"rename", "--chains", "--journal", journal.string(), "--map", "-"},
                           folder, batch.map(), false, state);
}

// Renames in a child process that kills itself just before its `atMove`-th
// rename (a whole move, one leg of a move through a temporary name, or the
// exchange that swaps two files).
void killedRename(const RandomBatch& batch, const fs::path& folder, const fs::path& journal,
                  const fs::path& state, int atMove) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int moves = 0;
        test::failMovesTo([&](const fs::path&, const fs::path&) {
            if (++moves == atMove) ::raise(SIGKILL);
            return std::optional<int>();
        });
        ::_exit(renameWithChains(batch, folder, journal, state).status);
    }
    ::waitpid(child, nullptr, 0);
}

TEST(ChainsKill, RandomBatchesEndAsPlannedAndUndoAfterAKillPutsEveryFileBack) {
    test::TemporaryFolder temp;
    const fs::path folder = temp.folder("files");
    // Journals are synced as they are begun and ended: in memory, where the
    // machine has a folder there, they don't wait for a disk.
    std::error_code noMemory;
    const bool inMemory = fs::is_directory("/dev/shm", noMemory) && ::access("/dev/shm", W_OK) == 0;
    test::TemporaryFolder journals(inMemory ? fs::path("/dev/shm") : temp.path());
    const fs::path state = journals.path();
    std::mt19937 random(20261210);
    int performed = 0;
    // 1,000 batches of 10 groups: 10,000 random groups; 50 batches where every
    // fork and rename is checked for memory faults, and costs more.
#if defined(__SANITIZE_ADDRESS__)
    constexpr int trials = 50;
#else
    constexpr int trials = 1000;
#endif
    for (int trial = 0; trial < trials; ++trial) {
        const RandomBatch batch = randomBatch(random);
        // One batch in four on a file system that can't swap two names in one
        // step: its swaps go through temporary names.
        test::refuseExchanges(trial % 4 == 3);
        SCOPED_TRACE("trial " + std::to_string(trial) + ":\n" + batch.map());
        makeListing(folder, batch.before);
        const fs::path journal = state / ("j" + std::to_string(trial) + ".jsonl");

        const bool performs = !batch.heldOutside && !batch.moves.empty();
        const auto renamed = renameWithChains(batch, folder, journal, state);
        ASSERT_EQ(renamed.status, performs ? 0 : 1) << renamed.out << renamed.err;
        ASSERT_EQ(test::filesIn(folder), batch.after());
        if (!performs) continue;
        ++performed;
        const auto undone = test::runCli({"undo", journal.string()}, folder, "", false, state);
        ASSERT_EQ(undone.status, 0) << undone.err;
        ASSERT_EQ(test::filesIn(folder), batch.before);

        // The second run dies at a random rename; undo puts back whatever moved.
        const int steps = static_cast<int>(batch.moves.size()) * 2;
        const int atMove = std::uniform_int_distribution<int>(1, steps)(random);
        const fs::path killedJournal = state / ("k" + std::to_string(trial) + ".jsonl");
        killedRename(batch, folder, killedJournal, state, atMove);
        const auto back =
            test::runCli({"undo", killedJournal.string()}, folder, "", false, state);
        ASSERT_TRUE(back.status == 0 ||
                    back.err.find("stopped before its first move") != std::string::npos)
            << "killed at rename " << atMove << ": " << back.err;
        ASSERT_EQ(test::filesIn(folder), batch.before) << "killed at rename " << atMove;
    }
    test::refuseExchanges(false);
    // Most batches are performable; a few hold a name outside the batch.
    EXPECT_GT(performed, trials * 4 / 5);
}

// Killed between two swaps: the first pair has traded names whole, the second
// not at all, and undo puts the first pair back, whether or not the journal
// got to record the exchange.
TEST(ChainsKill, UndoAfterAKillBetweenTwoSwapsPutsThePairBack) {
    test::TemporaryFolder temp;
    const fs::path folder = temp.folder("files");
    const fs::path state = temp.folder("state");
    RandomBatch batch;
    batch.before = {{"a", "A"}, {"b", "B"}, {"c", "C"}, {"d", "D"}};
    batch.moves = {{"a", "b"}, {"b", "a"}, {"c", "d"}, {"d", "c"}};
    makeListing(folder, batch.before);
    const fs::path journal = state / "killed.jsonl";
    killedRename(batch, folder, journal, state, 2);
    EXPECT_EQ(test::filesIn(folder), (Listing{{"a", "B"}, {"b", "A"}, {"c", "C"}, {"d", "D"}}));
    const auto back = test::runCli({"undo", journal.string()}, folder, "", false, state);
    EXPECT_EQ(back.status, 0) << back.err;
    EXPECT_EQ(test::filesIn(folder), batch.before);
}

}  // namespace
}  // namespace tavix
