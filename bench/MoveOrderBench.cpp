#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "engine/MoveOrder.hpp"

namespace {

using namespace tavix;

std::vector<std::string> names(std::size_t count) {
    std::vector<std::string> all;
    for (std::size_t i = 0; i <= count; ++i) all.push_back("file (" + std::to_string(i) + ").jpg");
    return all;
}

// One chain: every file takes the next one's name, the last a free name.
void BM_OrderShift(benchmark::State& state) {
    const auto all = names(static_cast<std::size_t>(state.range(0)));
    std::vector<MoveRequest> moves;
    for (std::size_t i = 0; i + 1 < all.size(); ++i) moves.push_back({"/d/", all[i], all[i + 1]});
    const auto random = RenameEngine::systemRandomBits();
    for (auto _ : state) benchmark::DoNotOptimize(RenameEngine::orderMoves(moves, random));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(moves.size()));
}
BENCHMARK(BM_OrderShift)->Arg(100'000)->Unit(benchmark::kMillisecond);

// Pairs of files swapping names: one cycle, and one temporary name, per pair.
void BM_OrderSwaps(benchmark::State& state) {
    const auto all = names(static_cast<std::size_t>(state.range(0)));
    std::vector<MoveRequest> moves;
    for (std::size_t i = 0; i + 1 < all.size(); i += 2) {
        moves.push_back({"/d/", all[i], all[i + 1]});
        moves.push_back({"/d/", all[i + 1], all[i]});
    }
    const auto random = RenameEngine::systemRandomBits();
    for (auto _ : state) benchmark::DoNotOptimize(RenameEngine::orderMoves(moves, random));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(moves.size()));
}
BENCHMARK(BM_OrderSwaps)->Arg(100'000)->Unit(benchmark::kMillisecond);

}  // namespace
