// Cost of one step on one name, for each text kind, over a fixed set of
// typical names. Each benchmark reports nanoseconds per name, the ratio to the
// floor (copying the name, the least any step does) and to the 2 µs target.

#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/RenameEngine.hpp"
#include "rules/RenameRule.hpp"

namespace {

using namespace tavix;

constexpr std::size_t kNames = 100'000;
constexpr double kTargetNs = 2000.0;

// 10 to 40 characters: camera and scanner names, dated documents, words with
// and without accents (about a third of the names have some).
std::vector<std::string> typicalNames() {
    const std::array<const char*, 12> ascii = {"IMG",    "holiday", "photo", "Scan",
                                               "report", "final",   "draft", "beach",
                                               "DSC",    "invoice", "notes", "Summer"};
    const std::array<const char*, 10> accented = {"caf\u00e9",       "\u00e9t\u00e9",
                                                  "\u00d1and\u00fa", "Z\u00fcrich",
                                                  "na\u00efve",      "r\u00e9sum\u00e9",
                                                  "S\u00e3o Paulo",  "Krak\u00f3w",
                                                  "Gr\u00fc\u00dfe", "cr\u00e8me br\u00fbl\u00e9e"};
    const std::array<const char*, 4> separators = {" ", "_", "-", "  "};
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    auto next = [&state](std::uint64_t bound) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::size_t>((state >> 33) % bound);
    };
    std::vector<std::string> names;
    names.reserve(kNames);
    while (names.size() < kNames) {
        std::string name;
        const bool withAccents = next(3) == 0;
        const std::size_t words = 2 + next(3);
        for (std::size_t w = 0; w < words; ++w) {
            if (w > 0) name += separators[next(separators.size())];
            name += withAccents && next(2) == 0 ? accented[next(accented.size())]
                                                : ascii[next(ascii.size())];
        }
        name += separators[next(2)] + std::to_string(next(10000));
        if (name.size() < 10) name += " copy";
        names.push_back(name.substr(0, 40));
    }
    return names;
}

const std::vector<std::string>& names() {
    static const std::vector<std::string> all = typicalNames();
    return all;
}

// CPU time of this thread, so that other load on the machine doesn't count.
double cpuNs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

template <class Step>
double nsPerName(Step step, int rounds) {
    const double start = cpuNs();
    for (int r = 0; r < rounds; ++r) {
        for (const std::string& name : names()) benchmark::DoNotOptimize(step(name));
    }
    return (cpuNs() - start) / (static_cast<double>(rounds) * static_cast<double>(kNames));
}

// The floor, measured once in this run: a copy of each name.
double floorNs() {
    static const double floor = [] {
        double best = 1e9;
        for (int i = 0; i < 5; ++i) {
            best =
                std::min(best, nsPerName([](const std::string& n) { return std::string(n); }, 3));
        }
        return best;
    }();
    return floor;
}

void applyBenchmark(benchmark::State& state, const RenameRule& rule) {
    const std::filesystem::path url = "/photos/name";
    // Prepared once, as the plan prepares each step.
    RenameEngine::PreparedStep step(rule);
    std::int64_t rounds = 0;
    const double start = cpuNs();
    for (auto _ : state) {
        for (const std::string& name : names()) {
            std::string out = name;
            step.applyTo(out, 0, url);
            benchmark::DoNotOptimize(out);
        }
        ++rounds;
    }
    const double perName = (cpuNs() - start) / (static_cast<double>(rounds) * kNames);
    state.counters["ns_per_name"] = perName;
    state.counters["x_floor"] = perName / floorNs();
    state.counters["x_target"] = perName / kTargetNs;
    state.SetItemsProcessed(rounds * static_cast<std::int64_t>(kNames));
}

const struct Registration {
    Registration() {
        const std::pair<const char*, RenameRule> steps[] = {
            {"findReplace/all",
             RenameRule{FindReplace{"photo", "image", false, false, Occurrences::all}}},
            {"findReplace/allAccented",
             RenameRule{FindReplace{"\u00e9t\u00e9", "summer", false, false, Occurrences::all}}},
            {"findReplace/first",
             RenameRule{FindReplace{"_", " ", false, false, Occurrences::first}}},
            {"findReplace/last", RenameRule{FindReplace{"e", "E", false, true, Occurrences::last}}},
            {"findReplace/regex",
             RenameRule{FindReplace{"(\\d+)", "[$1]", true, false, Occurrences::all}}},
            {"addText", RenameRule{AddText{"2024 ", Position::prefix}}},
            {"removeText", RenameRule{RemoveText{"_", false}}},
            {"changeCase/lower", RenameRule{ChangeCase{CaseStyle::lower}}},
            {"changeCase/upper", RenameRule{ChangeCase{CaseStyle::upper}}},
            {"changeCase/title", RenameRule{ChangeCase{CaseStyle::title}}},
            {"changeCase/sentence", RenameRule{ChangeCase{CaseStyle::sentence}}},
            {"removeCharacters/digits", RenameRule{RemoveCharacters{CharacterClass::digits, ""}}},
            {"removeCharacters/custom",
             RenameRule{RemoveCharacters{CharacterClass::custom, "_-\u00e9"}}},
            {"collapseSpaces", RenameRule{CollapseSpaces{}}},
            {"crop", RenameRule{Crop{CropMode::removeFirst, 3}}},
            {"insertAt", RenameRule{InsertAt{"-", 5}}},
            {"truncate", RenameRule{Truncate{12, Position::suffix}}},
        };
        for (const auto& [label, rule] : steps) {
            benchmark::RegisterBenchmark((std::string("Apply/") + label).c_str(),
                                         [rule](benchmark::State& s) { applyBenchmark(s, rule); })
                ->Unit(benchmark::kMillisecond);
        }
        benchmark::RegisterBenchmark("Apply/floor/copyName", [](benchmark::State& state) {
            for (auto _ : state) {
                for (const std::string& name : names()) benchmark::DoNotOptimize(std::string(name));
            }
            state.counters["ns_per_name"] = floorNs();
        })->Unit(benchmark::kMillisecond);
    }
} registration;

}  // namespace
