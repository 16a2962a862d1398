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
    model.setProgress(
        [&](std::size_t done, std::size_t total) { reports.emplace_back(done, total); });
    const auto isOneRun = [&](std::size_t total) {
        bool grows = reports.size() >= 2 && reports.size() <= 102;
        for (std::size_t i = 1; i < reports.size(); ++i) {
            grows = grows && reports[i - 1].first < reports[i].first && reports[i].second == total;
        }
        return grows && reports.front() == Report(0, total) &&
               reports.back() == Report(total, total);
    };
    std::vector<Location> files;
    for (int i = 0; i < 451; ++i) files.push_back(folder.write("f" + std::to_string(i), "x"));
    model.add(files);
    EXPECT_TRUE(isOneRun(451)) << ::testing::PrintToString(reports);
    reports.clear();
    model.sort(FileList::SortOrder::size);
    EXPECT_TRUE(isOneRun(451) && reports.size() > 50) << ::testing::PrintToString(reports);
    reports.clear();
    model.clear();
    model.sort(FileList::SortOrder::taken);
    EXPECT_EQ(reports, (std::vector<Report>{{0, 0}, {0, 0}}));
}

}  // namespace
}  // namespace tavix
