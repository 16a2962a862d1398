// What adding and sorting tell the model's progress listener. Rename and undo:
// RenameAndUndoTest.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "model/TavixModel.hpp"
#include "support/TemporaryFolder.hpp"

namespace tavix {
namespace {

using Report = std::pair<std::size_t, std::size_t>;

// Each a run from (0, total) to (total, total) that grows in between and is
// told at most about a hundred times; a sort reads keys one by one and reports
// in between. 451 files: a count the reports' step (a hundredth) doesn't
// divide, the end falling between two steps.
TEST(Progress, AddingAndSortingReportOneRunEach) {
    test::TemporaryFolder folder;
    TavixModel model;
    std::vector<Report> reports;
    model.setProgress([&](std::size_t done, std::size_t total) { reports.emplace_back(done, total); });
    const auto isOneRun = [&](std::size_t total) {
        bool grows = reports.size() >= 2 && reports.size() <= 102;
        for (std::size_t i = 1; i < reports.size(); ++i) {
            grows = grows && reports[i - 1].first < reports[i].first && reports[i].second == total;
        }
        return grows && reports.front() == Report(0, total) && reports.back() == Report(total, total);
    };
    std::vector<Location> files;
    for (int i = 0; i < 451; ++i) {
        files.push_back(folder.write("f" + std::to_string(i), std::string(i % 7, 'x')));
    }
    model.add(files);
    EXPECT_TRUE(isOneRun(451)) << ::testing::PrintToString(reports);
    for (const auto order : {FileList::SortOrder::name, FileList::SortOrder::size,
                             FileList::SortOrder::taken}) {
        reports.clear();
        model.sort(order);
        EXPECT_TRUE(isOneRun(451)) << ::testing::PrintToString(reports);
    }
    EXPECT_GT(reports.size(), 50u);

    reports.clear();
    model.clear();
    model.sort(FileList::SortOrder::size);
    EXPECT_EQ(reports, (std::vector<Report>{{0, 0}, {0, 0}}));
    model.setProgress({});
    model.add({folder.write("a")});  // no listener: nothing is told
    EXPECT_EQ(reports.size(), 2u);
}

}  // namespace
}  // namespace tavix
