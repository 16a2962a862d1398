#include "engine/MoveOrder.hpp"

#include <algorithm>
#include <limits>
#include <random>

#include "engine/NameTable.hpp"
#include "text/CaseFolding.hpp"
#include "text/PathNames.hpp"

namespace tavix::RenameEngine {
namespace {

constexpr std::uint32_t none = std::numeric_limits<std::uint32_t>::max();
constexpr std::string_view temporaryPrefix = ".tavix-";
constexpr std::size_t temporaryLetters = 12;

// ".tavix-" and 12 lower-case letters: 26^12 (about 2^56) names, all from one
// draw of 64 bits.
std::string temporaryName(std::uint64_t bits) {
    std::string name(temporaryPrefix);
    for (std::size_t i = 0; i < temporaryLetters; ++i) {
        name.push_back(static_cast<char>('a' + bits % 26));
        bits /= 26;
    }
    return name;
}

}  // namespace

RandomBits systemRandomBits() {
    return [generator = std::make_shared<std::mt19937_64>([] {
                std::random_device device;
                std::seed_seq seed{device(), device(), device(), device()};
                return std::mt19937_64(seed);
            }())] { return (*generator)(); };
}

MoveOrder orderMoves(const std::vector<MoveRequest>& moves, const RandomBits& random) {
    const auto count = static_cast<std::uint32_t>(moves.size());
    MoveOrder order;
    order.steps.reserve(moves.size() + 2);
    order.finished.reserve(moves.size());
    order.temporaries.resize(moves.size());
    order.inCycle.assign(moves.size(), false);

    // The move whose file holds each move's destination, and the reverse: the
    // move that takes each move's name. Destinations are distinct, so each name
    // is wanted by one move at most: the moves form chains and cycles.
    NameTable sources(moves.size(), [&](std::uint32_t i) {
        return FolderName{moves[i].folder, moves[i].from};
    });
    for (std::uint32_t i = 0; i < count; ++i) sources.insert(i);
    std::vector<std::uint32_t> taker(moves.size(), none);
    std::vector<std::uint32_t> holder(moves.size(), none);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint32_t found = sources.find({moves[i].folder, moves[i].to});
        if (found == none || found == i || taker[found] != none) continue;
        holder[i] = found;
        taker[found] = i;
    }

    std::vector<bool> placed(moves.size(), false);
    const auto place = [&](std::uint32_t move) {
        placed[move] = true;
        order.finished.push_back(move);
        if (moves[move].caseOnly) {
            order.steps.push_back({move, MoveOrder::Leg::toTemporary});
            order.steps.push_back({move, MoveOrder::Leg::fromTemporary});
        } else {
            order.steps.push_back({move, MoveOrder::Leg::whole});
        }
    };
    // A chain starts at a move whose destination no file of the batch holds;
    // each file then takes the name the previous one has just left.
    for (std::uint32_t i = 0; i < count; ++i) {
        if (holder[i] != none) continue;
        for (std::uint32_t move = i; move != none; move = taker[move]) place(move);
    }
    // What is left are cycles. The file holding the name that the cycle's first
    // move in list order wants steps aside to a temporary name, the others
    // follow one another into the names just left, and it comes last.
    for (std::uint32_t i = 0; i < count; ++i) {
        if (placed[i]) continue;
        const std::uint32_t aside = holder[i];
        ++order.cyclesBroken;
        order.inCycle[aside] = true;
        placed[aside] = true;
        order.steps.push_back({aside, MoveOrder::Leg::toTemporary});
        for (std::uint32_t move = taker[aside]; move != aside; move = taker[move]) {
            order.inCycle[move] = true;
            place(move);
        }
        order.finished.push_back(aside);
        order.steps.push_back({aside, MoveOrder::Leg::fromTemporary});
    }

    order.needsOrder = order.cyclesBroken > 0;
    for (std::uint32_t k = 0; k < count && !order.needsOrder; ++k) {
        order.needsOrder = order.finished[k] != k;
    }

    // Temporary names for the moves that pass through one, each distinct from
    // every name of the batch and from each other.
    // Entries 0 … count-1 are the moves' destinations, count + k the k-th
    // temporary name made.
    std::vector<std::uint32_t> made;
    const auto usedName = [&](std::uint32_t i) {
        if (i < count) return FolderName{moves[i].folder, moves[i].to};
        const std::uint32_t move = made[i - count];
        return FolderName{moves[move].folder, order.temporaries[move]};
    };
    const std::size_t temporaryCount = std::count_if(
        order.steps.begin(), order.steps.end(),
        [](const MoveOrder::Step& step) { return step.leg == MoveOrder::Leg::toTemporary; });
    if (temporaryCount == 0) return order;
    NameTable used(moves.size() + temporaryCount, usedName);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (moves[i].to.starts_with(temporaryPrefix)) used.insert(i);
    }
    made.reserve(temporaryCount);
    for (const MoveOrder::Step& step : order.steps) {
        if (step.leg != MoveOrder::Leg::toTemporary) continue;
        const MoveRequest& move = moves[step.move];
        std::string& name = order.temporaries[step.move];
        made.push_back(step.move);
        const auto number = static_cast<std::uint32_t>(count + made.size() - 1);
        do {
            name = temporaryName(random());
        } while (sources.find({move.folder, name}) != none || !used.insert(number));
    }
    return order;
}

std::vector<std::uint32_t> movingItems(const RenamePlan& plan) {
    std::vector<std::uint32_t> items;
    for (std::size_t i = 0; i < plan.items.size(); ++i) {
        const RenamePlan::Item& item = plan.items[i];
        if (!item.problem && item.isChanged()) items.push_back(static_cast<std::uint32_t>(i));
    }
    return items;
}

std::vector<MoveRequest> moveRequests(const RenamePlan& plan) {
    std::vector<MoveRequest> moves;
    for (const std::uint32_t i : movingItems(plan)) {
        const RenamePlan::Item& item = plan.items[i];
        const std::string_view path = item.path;
        const std::string_view name = PathNames::nameView(item.path);
        // The folder's text up to and with its last slash: every item's folder is
        // written the same way, so its destination is found among the sources.
        const std::string_view folder = path.substr(0, name.data() - path.data());
        moves.push_back(
            {folder, name, item.newName, text::differsOnlyInCase(item.originalName(), item.newName)});
    }
    return moves;
}

}  // namespace tavix::RenameEngine
