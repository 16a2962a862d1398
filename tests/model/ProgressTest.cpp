// What adding and sorting tell the model's progress listener: where it starts
// and ends, that counts only grow, and that a listener is not called once per
// file. Rename and undo: RenameAndUndoTest.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "model/TavixModel.hpp"
#include "support/TemporaryFolder.hpp"

namespace tavix {
namespace {

using Report = std::pair<std::size_t, std::size_t>;

class Progress : public ::testing::Test {
protected:
    Progress() { listen(); }
    void listen() {
        model.setProgress([this](std::size_t done, std::size_t total) {
            reports.emplace_back(done, total);
        });
    }

    // Starts at (0, total), ends at (total, total), grows in between, and is
    // told at most about a hundred times.
    void expectOneRun(std::size_t total) const {
        ASSERT_GE(reports.size(), 2u);
        EXPECT_EQ(reports.front(), Report(0, total));
        EXPECT_EQ(reports.back(), Report(total, total));
        for (std::size_t i = 1; i < reports.size(); ++i) {
            EXPECT_EQ(reports[i].second, total);
            EXPECT_LT(reports[i - 1].first, reports[i].first) << "report " << i;
        }
        EXPECT_LE(reports.size(), 102u);
    }

    test::TemporaryFolder folder;
    TavixModel model;
    std::vector<Report> reports;
};

TEST_F(Progress, AddingAndEverySortReportOneRun) {
    // A count the reports' step (a hundredth) doesn't divide: the end is told
    // though it falls between two steps.
    std::vector<Location> files;
    for (int i = 0; i < 451; ++i) {
        files.push_back(folder.write("f" + std::to_string(i), std::string(i % 7, 'x')));
    }
    model.add(files);
    expectOneRun(451);
    for (const auto order : {FileList::SortOrder::name, FileList::SortOrder::size,
                             FileList::SortOrder::taken}) {
        reports.clear();
        model.sort(order);
        expectOneRun(451);
    }
    // Keys are read one by one: the reports come in between.
    EXPECT_GT(reports.size(), 50u);
}

TEST_F(Progress, NoListenerAndNoFilesAreFine) {
    model.setProgress({});
    model.add({folder.write("a")});
    EXPECT_TRUE(reports.empty());
    listen();
    model.clear();
    model.sort(FileList::SortOrder::size);
    EXPECT_EQ(reports, (std::vector<Report>{{0, 0}, {0, 0}}));
}

}  // namespace
}  // namespace tavix
