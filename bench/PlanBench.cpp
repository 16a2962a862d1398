// The plan of a five-step stack over 10,000 and 100,000 files, beside its
// floor: one stat per file over the same files, measured in the same run.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/RenameEngine.hpp"
#include "engine/RenamePlan.hpp"
#include "engine/StepStages.hpp"

namespace {

namespace fs = std::filesystem;

// A folder of `count` empty files with camera-like names, made once per
// location and size, removed at exit.
class FileSet {
public:
    FileSet(const fs::path& root, std::size_t count) {
        std::string pattern = (root / "tavix-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        folder_ = pattern;
        files_.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            const std::string name = (i % 3 == 0   ? "IMG_"
                                      : i % 3 == 1 ? "Sommer Café "
                                                   : "scan-") +
                                     std::to_string(100000 + i) + (i % 2 ? ".jpg" : ".JPG");
            const fs::path file = folder_ / name;
            const int fd = ::open(file.c_str(), O_CREAT | O_WRONLY, 0644);
            if (fd >= 0) ::close(fd);
            files_.push_back(file);
        }
    }
    ~FileSet() {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
    const std::vector<tavix::Location>& files() const { return files_; }

private:
    fs::path folder_;
    std::vector<tavix::Location> files_;
};

const FileSet& filesAt(const char* where, std::size_t count) {
    static std::map<std::pair<std::string, std::size_t>, std::unique_ptr<FileSet>> sets;
    auto& set = sets[{where, count}];
    if (!set) set = std::make_unique<FileSet>(where, count);
    return *set;
}

const char* location(std::int64_t which) {
    return which == 0 ? "/dev/shm" : "/var/tmp";
}

std::vector<tavix::RenameRule> fiveSteps() {
    using tavix::RenameRule;
    return {
        RenameRule{tavix::FindReplace{"(\\d+)", "n$1", true, false, tavix::Occurrences::all}},
        RenameRule{tavix::ChangeCase{tavix::CaseStyle::title}},
        RenameRule{tavix::Sequence{1, 1, 4, tavix::Position::suffix, "-"}},
        RenameRule{tavix::InsertAt{"_", 3}},
        RenameRule{tavix::Truncate{40, tavix::Position::suffix}},
    };
}

void StatFloor(benchmark::State& state) {
    const auto& files = filesAt(location(state.range(0)), static_cast<std::size_t>(state.range(1)));
    struct stat st;
    for (auto _ : state) {
        for (const auto& file : files.files()) benchmark::DoNotOptimize(::stat(file.c_str(), &st));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(files.files().size()));
}

// What a changed item's existence test costs: a stat of a name that isn't there
// (on tmpfs the kernel makes a negative entry for each, unlike a hit).
void StatMissing(benchmark::State& state) {
    const auto& files = filesAt(location(state.range(0)), static_cast<std::size_t>(state.range(1)));
    std::vector<std::string> missing;
    for (const auto& file : files.files()) missing.push_back(file.string() + "~");
    struct stat st;
    for (auto _ : state) {
        for (const auto& path : missing) benchmark::DoNotOptimize(::stat(path.c_str(), &st));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(files.files().size()));
}

// The engine's own work: the five steps over every stem, no disk at all.
void ApplyStack(benchmark::State& state) {
    const auto& files = filesAt(location(0), static_cast<std::size_t>(state.range(0)));
    std::vector<tavix::RenameEngine::PreparedStep> steps;
    for (const auto& rule : fiveSteps()) steps.emplace_back(rule);
    std::vector<std::string> stems;
    for (const auto& file : files.files()) stems.push_back(file.stem().string());
    for (auto _ : state) {
        for (std::size_t i = 0; i < stems.size(); ++i) {
            std::string stem = stems[i];
            for (auto& step : steps) {
                step.applyTo(stem, static_cast<std::int64_t>(i), files.files()[i]);
            }
            benchmark::DoNotOptimize(stem.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(files.files().size()));
}

void Plan(benchmark::State& state) {
    const auto& files = filesAt(location(state.range(0)), static_cast<std::size_t>(state.range(1)));
    const auto rules = fiveSteps();
    for (auto _ : state) {
        auto plan = tavix::RenameEngine::plan(files.files(), rules, true);
        benchmark::DoNotOptimize(plan.items.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(files.files().size()));
}

// An edit of the last of the five steps, then the plan, as the window makes
// it: range(0) 0 plans from scratch, 1 keeps the stems after each step
// (StepStages) on one thread, 2 also applies the steps on every core.
void PlanEditLast(benchmark::State& state) {
    const auto& files = filesAt(location(0), static_cast<std::size_t>(state.range(1)));
    auto rules = fiveSteps();
    tavix::RenameEngine::StepStages stages(state.range(0) == 2 ? 0 : 1);
    std::int64_t round = 0;
    for (auto _ : state) {
        rules.back() = tavix::RenameRule{tavix::Truncate{30 + ++round % 2, tavix::Position::suffix}};
        auto plan = state.range(0) == 0
                        ? tavix::RenameEngine::plan(files.files(), rules, true)
                        : tavix::RenameEngine::plan(files.files(), rules, true,
                                                    tavix::RenameEngine::DateSource::modified,
                                                    stages);
        benchmark::DoNotOptimize(plan.items.data());
    }
}

// The five steps alone over every stem, all of them applied again each time
// (the first step changes), on range(0) threads; wall time.
void StagesThreads(benchmark::State& state) {
    const auto& files = filesAt(location(0), static_cast<std::size_t>(state.range(1)));
    auto rules = fiveSteps();
    tavix::RenameEngine::StepStages stages(static_cast<unsigned>(state.range(0)), 1024);
    tavix::TextColumn stems;
    for (const auto& file : files.files()) stems.push_back(file.stem().string());
    stages.setInput(std::move(stems));
    std::int64_t round = 0;
    for (auto _ : state) {
        rules.front() = tavix::RenameRule{tavix::FindReplace{++round % 2 ? "(\\d+)" : "(\\d)", "n$1",
                                                       true, false, tavix::Occurrences::all}};
        stages.run(files.files(), rules, tavix::RenameEngine::DateSource::modified);
    }
}

// range(0): 0 tmpfs, 1 disk; range(1): files.
BENCHMARK(StatFloor)->ArgsProduct({{0, 1}, {10000, 100000}})->Unit(benchmark::kMillisecond);
BENCHMARK(StatMissing)->ArgsProduct({{0, 1}, {10000, 100000}})->Unit(benchmark::kMillisecond);
BENCHMARK(ApplyStack)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(PlanEditLast)->ArgsProduct({{0, 1, 2}, {10000, 100000}})->Unit(benchmark::kMillisecond);
BENCHMARK(StagesThreads)->ArgsProduct({{1, 2}, {10000, 100000}})->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(Plan)->ArgsProduct({{0, 1}, {10000, 100000}})->Unit(benchmark::kMillisecond);

}  // namespace
