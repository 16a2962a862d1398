#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <random>
#include <regex>
#include <set>
#include <sstream>
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
        if (file != folder.end() && folder.try_emplace(to, file->second).second) folder.erase(file);
        else ADD_FAILURE() << from << " -> " << to << ": nothing to move, or a file replaced";
    }
    return folder;
}

std::map<std::string, std::string> listing(const std::vector<std::string>& names) {
    std::map<std::string, std::string> folder;
    for (const std::string& name : names) folder[name] = name;
    return folder;
}

// An order as text: the moves as they finish, "|", its steps ("1>" puts move 1
// aside under its temporary name, "1<" brings it on, "1*" is a whole move that
// was given a temporary name all the same), "|", each move in a cycle (y) or
// not (n), and "ordered" when the moves need the order at all.
std::string described(const MoveOrder& order) {
    std::string out;
    for (const std::uint32_t move : order.finished) out += std::to_string(move) + " ";
    out += "|";
    for (const MoveOrder::Step& step : order.steps) {
        out += " " + std::to_string(step.move);
        if (step.leg != Leg::whole) out += step.leg == Leg::toTemporary ? ">" : "<";
        else if (!order.temporaries[step.move].empty()) out += "*";
    }
    out += " | ";
    for (const bool inCycle : order.inCycle) out += inCycle ? 'y' : 'n';
    return out + (order.needsOrder ? " ordered" : "");
}

// A batch written "from>to" (or "from~to" for a change of letter case only),
// and the order it should get.
TEST(MoveOrder, LeavesEachNameBeforeItIsTaken) {
    const std::pair<std::string, std::string> cases[] = {
        // A chain in list order stays as it is; a shift moves the last file first.
        {"b>c a>b", "0 1 | 0 1 | nn"},
        {"f1>f2 f2>f3 f3>f4", "2 1 0 | 2 1 0 | nnn ordered"},
        // A swap puts the second file aside; a 3-cycle goes round from the first file.
        {"a>b b>a", "0 1 | 1> 0 1< | yy ordered"},
        {"a>b b>c c>a", "0 2 1 | 1> 0 2 1< | yyy ordered"},
        // A change of case keeps both legs together and waits for the file
        // holding its new name.
        {"x>y Photo~photo", "0 1 | 0 1> 1< | nn"},
        {"Photo~photo photo>old", "1 0 | 1 0> 0< | nn ordered"}};
    for (const auto& [batch, order] : cases) {
        std::vector<Named> moves;
        std::istringstream in(batch);
        for (std::string move; in >> move;) {
            const auto arrow = move.find_first_of(">~");
            moves.push_back({move.substr(0, arrow), move.substr(arrow + 1), move[arrow] == '~'});
        }
        EXPECT_EQ(described(RenameEngine::orderMoves(requests(moves), counter())), order) << batch;
    }
}

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

// Independent moves keep their order.
TEST(MoveOrder, NamesInOtherFoldersAreOtherNames) {
    std::vector<MoveRequest> moves{{"/a/", "x", "y"}, {"/b/", "y", "z"}};
    EXPECT_EQ(described(RenameEngine::orderMoves(moves, counter())), "0 1 | 0 1 | nn");
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
    // A name no file has yet: a file's of the batch, or else free.
    const auto newName = [&](const std::string& stem, bool file = true) {
        std::string name;
        do name = stem + std::to_string(fresh++);
        while (!taken.insert(name).second);
        if (file) batch.files.push_back(name);
        return name;
    };
    for (std::size_t shape = 0, shapes = 1 + below(6); shape < shapes; ++shape) {
        const std::size_t length = 1 + below(8);
        std::vector<std::string> names;
        switch (below(4)) {
            case 0: {  // a permutation of some files: swaps and cycles of every length
                for (std::size_t i = 0; i <= length; ++i) names.push_back(newName("p"));
                std::vector<std::string> shuffled = names;
                std::shuffle(shuffled.begin(), shuffled.end(), random);
                for (std::size_t i = 0; i < names.size(); ++i)
                    if (names[i] != shuffled[i]) batch.moves.push_back({names[i], shuffled[i]});
                break;
            }
            case 1:  // a shift by one into a free name
                for (std::size_t i = 0; i < length; ++i) names.push_back(newName("s"));
                names.push_back(newName("free", false));
                for (std::size_t i = 0; i + 1 < names.size(); ++i)
                    batch.moves.push_back({names[i], names[i + 1]});
                break;
            case 2: {  // a change of case, sometimes into a name another file leaves
                const std::string upper = newName("C");
                std::string lower = upper;
                lower[0] = 'c';
                if (taken.insert(lower).second && below(2) == 0) {
                    batch.files.push_back(lower);
                    batch.moves.push_back({lower, newName("free", false)});
                }
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

        std::vector<std::uint32_t> every(batch.moves.size());
        std::iota(every.begin(), every.end(), 0u);
        ASSERT_TRUE(std::ranges::is_permutation(order.finished, every));
        static const std::regex temporary("(\\.tavix-[a-z]{12})?");
        for (const std::string& name : order.temporaries)
            ASSERT_TRUE(std::regex_match(name, temporary)) << name;
    }
}

}  // namespace
}  // namespace tavix
