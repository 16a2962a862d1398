#include "engine/Chains.hpp"

#include <limits>

#include "engine/NameTable.hpp"
#include "text/PathNames.hpp"

namespace tavix::RenameEngine {
namespace {

constexpr std::uint32_t none = std::numeric_limits<std::uint32_t>::max();

std::string_view folderOf(const RenamePlan::Item& item) {
    const std::string_view path = item.path;
    return path.substr(0, PathNames::nameView(item.path).data() - path.data());
}

enum class State : std::uint8_t { unknown, visiting, freed, blocked };

}  // namespace

void freeChains(RenamePlan& plan) {
    const auto count = static_cast<std::uint32_t>(plan.items.size());
    std::vector<std::uint32_t> waiting;  // items marked exists, in order
    for (std::uint32_t i = 0; i < count; ++i) {
        if (plan.items[i].problem == RenamePlan::Problem::exists) waiting.push_back(i);
    }
    if (waiting.empty()) return;

    NameTable items(plan.items.size(), [&](std::uint32_t i) {
        return FolderName{folderOf(plan.items[i]), PathNames::nameView(plan.items[i].path)};
    });
    for (std::uint32_t i = 0; i < count; ++i) items.insert(i);
    // For each item waiting, the item whose file holds its destination.
    std::vector<std::uint32_t> holder(plan.items.size(), none);
    for (const std::uint32_t i : waiting) {
        const std::uint32_t found = items.find({folderOf(plan.items[i]), plan.items[i].newName});
        if (found != items.none && found != i) holder[i] = found;
    }

    // An item is freed when its holder moves. Follow each run of holders to an
    // item that is settled: one that moves or stays, one already decided, or
    // the run's own start again (a cycle, which moves whole).
    std::vector<State> state(plan.items.size(), State::unknown);
    std::vector<std::uint32_t> run;
    for (const std::uint32_t start : waiting) {
        run.clear();
        std::uint32_t at = start;
        while (holder[at] != none && state[at] == State::unknown) {
            state[at] = State::visiting;
            run.push_back(at);
            at = holder[at];
        }
        State outcome;
        if (state[at] == State::visiting) {
            outcome = State::freed;
        } else if (state[at] != State::unknown) {
            outcome = state[at];
        } else {
            // An item without a holder in the plan: it moves if it changes and
            // has no problem (an item waiting on a file outside the plan stays).
            const RenamePlan::Item& item = plan.items[at];
            outcome = !item.problem && item.isChanged() ? State::freed : State::blocked;
        }
        for (const std::uint32_t i : run) state[i] = outcome;
    }
    for (const std::uint32_t i : waiting) {
        if (state[i] == State::freed) plan.items[i].problem.reset();
    }
}

ChainPlaces chainPlaces(const RenamePlan& plan, const MoveOrder& order) {
    ChainPlaces places;
    places.order.assign(plan.items.size(), 0);
    places.viaTemporary.assign(plan.items.size(), false);
    places.inCycle.assign(plan.items.size(), false);
    const std::vector<std::uint32_t> items = movingItems(plan);
    for (std::size_t place = 0; place < order.finished.size(); ++place) {
        const std::uint32_t move = order.finished[place];
        const std::uint32_t item = items[move];
        places.order[item] = static_cast<std::uint32_t>(place + 1);
        places.viaTemporary[item] = !order.temporaries[move].empty();
        places.inCycle[item] = order.inCycle[move];
    }
    return places;
}

}  // namespace tavix::RenameEngine
