#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/MoveOrder.hpp"

namespace tavix {
namespace {

using Leg = MoveOrder::Leg;

struct Named {
    std::string from;
    std::string to;
    bool caseOnly = false;
};

std::vector<MoveRequest> requests(const std::vector<Named>& moves,
                                  std::string_view folder = "/d/") {
    std::vector<MoveRequest> out;
    for (const Named& move : moves) out.push_back({folder, move.from, move.to, move.caseOnly});
    return out;
}

RenameEngine::RandomBits counter(std::uint64_t first = 0) {
    return [next = first]() mutable { return next++; };
}

// Makes the order's steps in a folder held in memory (name -> the name the
// file had at first), failing the test on any step that would replace a file
// or finds nothing to move. Returns the folder afterwards.
std::map<std::string, std::string> perform(const std::vector<Named>& moves, const MoveOrder& order,
                                           std::map<std::string, std::string> folder) {
    for (const MoveOrder::Step& step : order.steps) {
        const Named& move = moves[step.move];
        const std::string& temporary = order.temporaries[step.move];
        const std::string& from = step.leg == Leg::fromTemporary ? temporary : move.from;
        const std::string& to = step.leg == Leg::toTemporary ? temporary : move.to;
        const auto file = folder.find(from);
        if (file == folder.end()) {
            ADD_FAILURE() << "nothing at " << from;
            continue;
        }
        if (!folder.try_emplace(to, file->second).second) {
            ADD_FAILURE() << from << " -> " << to << " would replace a file";
            continue;
        }
        folder.erase(file);
    }
    return folder;
}

std::map<std::string, std::string> listing(const std::vector<std::string>& names) {
    std::map<std::string, std::string> folder;
    for (const std::string& name : names) folder[name] = name;
    return folder;
}

struct Case {
    std::string name;
    std::vector<Named> moves;
    std::vector<std::uint32_t> finished;
    std::vector<MoveOrder::Step> steps;
    std::vector<bool> inCycle;
    bool needsOrder;
};

class Orders : public ::testing::TestWithParam<Case> {};

TEST_P(Orders, LeaveEachNameBeforeItIsTaken) {
    const Case& c = GetParam();
    const MoveOrder order = RenameEngine::orderMoves(requests(c.moves), counter());
    EXPECT_EQ(order.finished, c.finished);
    EXPECT_EQ(order.steps, c.steps);
    EXPECT_EQ(order.inCycle, c.inCycle);
    EXPECT_EQ(order.needsOrder, c.needsOrder);
    for (std::size_t i = 0; i < c.moves.size(); ++i) {
        const bool passes = std::ranges::any_of(order.steps, [&](const auto& step) {
            return step.move == i && step.leg != Leg::whole;
        });
        EXPECT_EQ(!order.temporaries[i].empty(), passes) << "move " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    MoveOrder, Orders,
    ::testing::Values(Case{"IndependentMovesKeepTheirOrder",
                           {{"a", "x"}, {"b", "y"}},
                           {0, 1},
                           {{0}, {1}},
                           {false, false},
                           false},
                      Case{"AChainInListOrderStaysAsItIs",
                           {{"b", "c"}, {"a", "b"}},
                           {0, 1},
                           {{0}, {1}},
                           {false, false},
                           false},
                      Case{"AShiftMovesTheLastFileFirst",
                           {{"f1", "f2"}, {"f2", "f3"}, {"f3", "f4"}},
                           {2, 1, 0},
                           {{2}, {1}, {0}},
                           {false, false, false},
                           true},
                      Case{"ASwapPutsTheSecondFileAside",
                           {{"a", "b"}, {"b", "a"}},
                           {0, 1},
                           {{1, Leg::toTemporary}, {0}, {1, Leg::fromTemporary}},
                           {true, true},
                           true},
                      Case{"AThreeCycleGoesRoundFromTheFirstFile",
                           {{"a", "b"}, {"b", "c"}, {"c", "a"}},
                           {0, 2, 1},
                           {{1, Leg::toTemporary}, {0}, {2}, {1, Leg::fromTemporary}},
                           {true, true, true},
                           true},
                      Case{"ACaseChangeKeepsBothLegsTogether",
                           {{"x", "y"}, {"Photo", "photo", true}},
                           {0, 1},
                           {{0}, {1, Leg::toTemporary}, {1, Leg::fromTemporary}},
                           {false, false},
                           false},
                      Case{"ACaseChangeWaitsForTheFileHoldingItsNewName",
                           {{"Photo", "photo", true}, {"photo", "old"}},
                           {1, 0},
                           {{1}, {0, Leg::toTemporary}, {0, Leg::fromTemporary}},
                           {false, false},
                           true}),
    [](const auto& info) { return info.param.name; });

TEST(MoveOrder, TemporaryNamesAreFreshInTheBatch) {
    // Bits 0 spell ".tavix-aaaaaaaaaaaa", a name the batch moves from, and bits
    // 1 spell a name it moves to: the third draw is the first one free.
    const std::string zero = ".tavix-aaaaaaaaaaaa";
    const std::string one = ".tavix-baaaaaaaaaaa";
    const std::vector<Named> moves{{zero, "b"}, {"b", zero}, {"c", one}};
    std::vector<std::uint64_t> draws{0, 1, 0, 2};
    std::size_t next = 0;
    const MoveOrder order =
        RenameEngine::orderMoves(requests(moves), [&] { return draws.at(next++); });
    EXPECT_EQ(order.temporaries[1], ".tavix-caaaaaaaaaaa");
    EXPECT_EQ(perform(moves, order, listing({zero, "b", "c"})),
              (std::map<std::string, std::string>{{"b", zero}, {zero, "b"}, {one, "c"}}));
}

TEST(MoveOrder, NamesInOtherFoldersAreOtherNames) {
    std::vector<MoveRequest> moves{{"/a/", "x", "y"}, {"/b/", "y", "z"}};
    const MoveOrder order = RenameEngine::orderMoves(moves, counter());
    EXPECT_FALSE(order.needsOrder);
    EXPECT_EQ(order.finished, (std::vector<std::uint32_t>{0, 1}));
}

// A random batch in one folder: a few shapes of moves mixed, as a user's steps
// or edits make them, with files outside the batch left where they are.
struct Batch {
    std::vector<std::string> files;
    std::vector<Named> moves;
};

Batch randomBatch(std::mt19937_64& random) {
    Batch batch;
    const auto below = [&](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    std::set<std::string> taken;
    std::size_t fresh = 0;
    const auto newName = [&](const std::string& stem) {
        std::string name;
        do name = stem + std::to_string(fresh++);
        while (taken.contains(name));
        taken.insert(name);
        batch.files.push_back(name);
        return name;
    };
    const auto freeName = [&] {
        std::string name;
        do name = "free" + std::to_string(fresh++);
        while (taken.contains(name));
        taken.insert(name);
        return name;
    };
    for (std::size_t shape = 0, shapes = 1 + below(6); shape < shapes; ++shape) {
        const std::size_t length = 1 + below(8);
        switch (below(6)) {
            case 0: {  // a permutation of some files: cycles of every length
                std::vector<std::string> names;
                for (std::size_t i = 0; i <= length; ++i) names.push_back(newName("p"));
                std::vector<std::string> shuffled = names;
                std::shuffle(shuffled.begin(), shuffled.end(), random);
                for (std::size_t i = 0; i < names.size(); ++i) {
                    if (names[i] != shuffled[i]) batch.moves.push_back({names[i], shuffled[i]});
                }
                break;
            }
            case 1: {  // a shift by one into a free name
                std::vector<std::string> names;
                for (std::size_t i = 0; i < length; ++i) names.push_back(newName("s"));
                names.push_back(freeName());
                for (std::size_t i = 0; i + 1 < names.size(); ++i)
                    batch.moves.push_back({names[i], names[i + 1]});
                break;
            }
            case 2: {  // a swap
                const std::string a = newName("w"), b = newName("w");
                batch.moves.push_back({a, b});
                batch.moves.push_back({b, a});
                break;
            }
            case 3: {  // a three-cycle
                const std::string a = newName("t"), b = newName("t"), c = newName("t");
                batch.moves.push_back({a, b});
                batch.moves.push_back({b, c});
                batch.moves.push_back({c, a});
                break;
            }
            case 4: {  // a change of case, sometimes into a name another file leaves
                const std::string upper = newName("C");
                std::string lower = upper;
                lower[0] = 'c';
                if (!taken.contains(lower) && below(2) == 0) {
                    taken.insert(lower);
                    batch.files.push_back(lower);
                    batch.moves.push_back({lower, freeName()});
                }
                taken.insert(lower);
                batch.moves.push_back({upper, lower, true});
                break;
            }
            default:  // a file outside the batch
                newName("o");
        }
    }
    std::shuffle(batch.moves.begin(), batch.moves.end(), random);
    return batch;
}

TEST(MoveOrder, RandomBatchesLandEveryFileOnAFreeName) {
    std::mt19937_64 random(20261209);
    for (int round = 0; round < 3000; ++round) {
        const Batch batch = randomBatch(random);
        SCOPED_TRACE("round " + std::to_string(round));
        const MoveOrder order =
            RenameEngine::orderMoves(requests(batch.moves), [&] { return random(); });

        std::map<std::string, std::string> expected = listing(batch.files);
        for (const Named& move : batch.moves) expected.erase(move.from);
        for (const Named& move : batch.moves) expected[move.to] = move.from;
        ASSERT_EQ(perform(batch.moves, order, listing(batch.files)), expected);

        std::vector<std::uint32_t> finished = order.finished;
        std::ranges::sort(finished);
        std::vector<std::uint32_t> all(batch.moves.size());
        std::iota(all.begin(), all.end(), 0u);
        ASSERT_EQ(finished, all);
        for (const std::string& name : order.temporaries) {
            ASSERT_TRUE(
                name.empty() ||
                (name.size() == 19 && name.starts_with(".tavix-") &&
                 std::ranges::all_of(name.substr(7), [](char c) { return c >= 'a' && c <= 'z'; })))
                << name;
        }
    }
}

}  // namespace
}  // namespace tavix
