// From a step edit to the window's repaint, with 10,000 and 100,000 files
// listed, beside the plan's own rebuild for the same edit in the same run. The
// difference is what the window adds.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QTableView>
#include <chrono>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "model/TavixModel.hpp"
#include "ui/ContentView.hpp"

namespace {

namespace fs = std::filesystem;

// A folder on tmpfs of `count` empty files with camera-like names, removed at exit.
class FileSet {
public:
    explicit FileSet(std::size_t count) {
        std::string pattern = "/dev/shm/tavix-bench-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) std::abort();
        folder_ = pattern;
        files_.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            const fs::path file =
                folder_ / ((i % 2 ? "IMG_" : "Sommer Café ") + std::to_string(100000 + i) + ".jpg");
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

const FileSet& filesOf(std::size_t count) {
    static std::map<std::size_t, std::unique_ptr<FileSet>> sets;
    auto& set = sets[count];
    if (!set) set = std::make_unique<FileSet>(count);
    return *set;
}

// Each edit changes the first step's text, so every name changes every time.
void edit(tavix::TavixModel& model, std::int64_t round) {
    model.setRule(model.rules().front().id, tavix::RenameRule{tavix::AddText{
                                                round % 2 ? "a-" : "b-", tavix::Position::prefix}});
}

// The comparison harness's stack (two patterns, lowercase, numbering) and an
// "Add text" step below it, whose text each edit changes: every name changes,
// and the steps above the edited one are as they were.
void useStack(tavix::TavixModel& model) {
    using namespace tavix;
    std::vector<TavixModel::IdentifiedRule> steps;
    for (RenameRule rule :
         {RenameRule{tavix::FindReplace{"(\\d{4})(\\d{2})(\\d{2})", "$1-$2-$3", true, false,
                                  Occurrences::all}},
          RenameRule{tavix::FindReplace{"[ _]+", "-", true, false, Occurrences::all}},
          RenameRule{tavix::ChangeCase{CaseStyle::lower}},
          RenameRule{tavix::Sequence{1, 1, 5, Position::suffix, "-"}},
          RenameRule{tavix::AddText{"a-", Position::prefix}}}) {
        steps.push_back(TavixModel::IdentifiedRule::make(std::move(rule)));
    }
    model.setRules(std::move(steps));
}

void editLast(tavix::TavixModel& model, std::int64_t round) {
    model.setRule(model.rules().back().id,
                  tavix::RenameRule{tavix::AddText{round % 2 ? "a-" : "b-", tavix::Position::prefix}});
}

void RebuildLastStep(benchmark::State& state) {
    tavix::TavixModel model;
    useStack(model);
    model.add(filesOf(static_cast<std::size_t>(state.range(0))).files());
    std::int64_t round = 0;
    for (auto _ : state) editLast(model, ++round);
}

void EditLastStepToRepaint(benchmark::State& state) {
    tavix::TavixModel model;
    tavix::ui::ContentView view(model);
    view.resize(1100, 700);
    view.show();
    useStack(view.model());
    QCoreApplication::processEvents();
    view.model().add(filesOf(static_cast<std::size_t>(state.range(0))).files());
    QCoreApplication::processEvents();
    std::int64_t round = 0;
    for (auto _ : state) {
        editLast(view.model(), ++round);
        QCoreApplication::sendPostedEvents();
        view.repaint();
    }
}

void RebuildOnly(benchmark::State& state) {
    tavix::TavixModel model;
    model.add(filesOf(static_cast<std::size_t>(state.range(0))).files());
    std::int64_t round = 0;
    for (auto _ : state) edit(model, ++round);
    state.counters["files"] = static_cast<double>(model.files().size());
}

void EditToRepaint(benchmark::State& state) {
    tavix::TavixModel model;
    tavix::ui::ContentView view(model);
    view.resize(1100, 700);
    view.show();
    QCoreApplication::processEvents();
    view.model().add(filesOf(static_cast<std::size_t>(state.range(0))).files());
    QCoreApplication::processEvents();
    std::int64_t round = 0;
    std::chrono::steady_clock::duration window{};
    for (auto _ : state) {
        edit(view.model(), ++round);
        // What the event loop would do next: deliver what the edit posted (the
        // window's layout and paint), then paint it all once more, synchronously.
        // The first allocations after a rebuild also pay the allocator's deferred
        // work for the old plan's freed memory, so this part alone overstates the
        // window's share; the totals of the two benchmarks give it exactly.
        const auto start = std::chrono::steady_clock::now();
        QCoreApplication::sendPostedEvents();
        view.repaint();
        window += std::chrono::steady_clock::now() - start;
    }
    state.counters["window_ms"] = std::chrono::duration<double, std::milli>(window).count() /
                                  static_cast<double>(state.iterations());
    state.counters["rows"] = view.table()->model()->rowCount();
}

// The window's own drawing, with no edit before it: the cost of the rows on screen.
void RepaintOnly(benchmark::State& state) {
    tavix::TavixModel model;
    tavix::ui::ContentView view(model);
    view.resize(1100, 700);
    view.show();
    view.model().add(filesOf(static_cast<std::size_t>(state.range(0))).files());
    edit(view.model(), 1);
    QCoreApplication::processEvents();
    for (auto _ : state) {
        view.update();
        QCoreApplication::sendPostedEvents();
        view.repaint();
    }
    state.counters["rows"] = view.table()->model()->rowCount();
}

BENCHMARK(RebuildOnly)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(EditToRepaint)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(RebuildLastStep)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(EditLastStepToRepaint)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(RepaintOnly)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
