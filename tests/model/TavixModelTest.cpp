#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "engine/ApplyCase.hpp"
#include "model/TavixModel.hpp"
#include "support/ExifBytes.hpp"
#include "support/Files.hpp"
#include "support/LocaleAndZone.hpp"
#include "support/TemporaryFolder.hpp"

namespace tavix {
namespace {

using Field = TavixModel::Field;
using Step = TavixModel::IdentifiedRule;
using Names = std::vector<std::string>;

// The steps' labels, then the selected step's after a colon ('-' none, '?' an
// id no step has).
std::string shown(const TavixModel& model) {
    std::string text;
    char selected = model.selection() ? '?' : '-';
    for (const Step& step : model.rules()) {
        text += std::get<AddText>(step.rule.kind).text;
        if (step.id == model.selection()) selected = text.back();
    }
    return text + ":" + selected;
}

// Each command announces what changed; files, steps and the extension flag
// also rebuild the plan, once, and nothing else does. Three files are listed,
// with a blank step and one that adds "new-".
TEST(ModelCommands, TellWhatChangedAndRebuildOnce) {
    test::TemporaryFolder folder;
    TavixModel model;
    model.setStateFolder(folder.path() / "state");
    model.add({folder.write("b.txt", "b"), folder.write("a.txt", "a"), folder.write("c.txt", "c")});
    model.setRules({model.rules()[0], Step::make(RenameRule{AddText{"new-", Position::prefix}})});
    using F = Field;
    const struct {
        std::function<void()> act;
        std::vector<Field> told;
    } commands[] = {
        {[&] { EXPECT_FALSE(model.setRule(Uuid::random(), {})); }, {}},
        {[&] { model.setKeepExtension(false); }, {F::keepExtension, F::plan}},
        {[&] { model.setPerFolder(true); }, {F::perFolder, F::plan}},
        {[&] { model.setDateSource(RenameEngine::DateSource::taken); }, {F::dateSource, F::plan}},
        {[&] { model.sort(FileList::SortOrder::size, true); }, {F::files, F::plan}},
        {[&] { model.add({}); }, {F::files, F::plan, F::message}},
        {[&] { model.addStep(); }, {F::rules, F::plan, F::selection}},
        {[&] { model.removeSelectedStep(); }, {F::rules, F::plan, F::selection}},
        {[&] { model.setShowDateColumn(true); }, {F::showDateColumn}},
        {[&] { model.removeSelectedFile(); }, {}},
        {[&] { model.setPreviewSelection(Uuid{}); }, {F::previewSelection}},
        {[&] { model.removeSelectedFile(); }, {}},  // an item no longer in the plan
        {[&] { model.setPreviewSelection(model.plan().items[1].id); }, {F::previewSelection}},
        {[&] {
             model.removeSelectedFile();
             EXPECT_EQ(test::namesOf(model.files()), (Names{"b.txt", "c.txt"}));
         },
         {F::files, F::plan, F::previewSelection}},
        {[&] { model.rename(); }, {F::lastMoves, F::files, F::plan, F::message}},
        {[&] { model.undo(); }, {F::files, F::plan, F::lastMoves, F::notPutBack, F::message}},
        {[&] { model.addChosenFiles(); }, {}},  // no dialog to ask
        {[&] { model.setClearAfterRenaming(true); }, {F::clearAfterRenaming}},
        {[&] { model.rename(); },
         {F::lastMoves, F::files, F::plan, F::message, F::files, F::plan, F::lastMoves}},
        {[&] { model.clear(); }, {F::files, F::plan, F::lastMoves, F::message}},
        {[&] { model.remove({0}); }, {F::files, F::plan}},
    };
    std::vector<Field> heard;
    const auto watching = model.observe([&](Field f) { heard.push_back(f); });
    for (std::size_t i = 0; i < std::size(commands); ++i) {
        heard.clear();
        commands[i].act();
        EXPECT_EQ(heard, commands[i].told) << "command " << i;
    }
}

TEST(ModelObservers, MayEndThemselvesAndOthersWhileTold) {
    TavixModel model;
    std::vector<std::string> heard;
    TavixModel::Subscription first, second;
    first = model.observe([&](Field) {
        heard.push_back("first");
        first.reset();
        second.reset();
    });
    second = model.observe([&](Field) { heard.push_back("second"); });
    // Assigned anew, a handle ends what it held.
    TavixModel::Subscription handle = model.observe([&](Field) { heard.push_back("third"); });
    model.setShowInspector(false);
    handle = model.observe([&](Field) { heard.push_back("fourth"); });
    model.setShowInspector(true);
    EXPECT_EQ(heard, (Names{"first", "third", "fourth"}));
}

// A dialog asks for several files; only those not listed yet that exist are
// added, in the order given, and adding clears the message. Cancelled, the
// dialog changes nothing.
TEST(ModelAdds, OnlyNewExistingFilesInTheOrderGiven) {
    test::TemporaryFolder folder;
    std::vector<Location> chosen;
    TavixModel model([&](const TavixModel::FileChooserRequest& request) {
        return request.filesOnly && request.multiple ? chosen : std::vector<Location>{};
    });
    const auto added = [&](const Names& names) {
        chosen = {folder.folder("photos"), folder.path() / "gone.txt"};
        for (const auto& name : names) chosen.push_back(folder.write(name));
        model.addChosenFiles();
        return test::namesOf(model.files());
    };
    model.setMessage("Renamed 3 files.");
    EXPECT_EQ(added({"b.txt", "a.txt", "b.txt"}), (Names{"b.txt", "a.txt"}));
    EXPECT_FALSE(model.message());
    EXPECT_EQ(added({"c.txt", "a.txt"}), (Names{"b.txt", "a.txt", "c.txt"}));
    chosen.clear();
    model.setMessage("Renamed 1 file.");
    model.addChosenFiles();
    EXPECT_EQ(model.message(), "Renamed 1 file.");
}

// Per folder, the rows stay in the list's order. Date steps write the date a
// photo was taken when asked, by the camera's clock (01:00 at +02:00 on New
// Year's Day, the old year in UTC). A sort by the date the step reads hands the
// dates it read on to the plan after it, each to its own file; later plans read
// the disk.
TEST(ModelPlanning, PerFolderBatchesAndDateSourceRebuildThePlan) {
    const test::LocaleAndZone zone("en_US", "UTC");
    test::TemporaryFolder folder;
    const auto at = [&](const std::string& name, std::int64_t time, const std::string& bytes) {
        return test::setModified(folder.write(name, bytes), time);
    };
    TavixModel model;
    model.add({at("one/x.jpg", 1'800'000'000,
                  test::jpegWith(test::exifBlock("2023:01:01 01:00:00", "+02:00"))),
               at("two/x.jpg", 1'000'000'000, ""), at("one/y.jpg", 1'100'000'000, "")});
    model.setRules({Step::make(RenameRule{Sequence{1, 1, 1, Position::suffix, "-"}})});
    model.setPerFolder(true);
    EXPECT_EQ(printed(model.plan()), (Names{"x-1.jpg", "x-1.jpg", "y-2.jpg"}));
    EXPECT_FALSE(model.planHasProblems());  // x-1.jpg twice, in two folders
    model.setRules({Step::make(RenameRule{FindReplace{"y", "x", false, true, Occurrences::all}})});
    EXPECT_TRUE(model.planHasProblems());  // one/y.jpg would take one/x.jpg's name

    model.setRules({Step::make(RenameRule{DateStamp{"yyyy", Position::prefix, "_"}})});
    EXPECT_EQ(printed(model.plan()), (Names{"2027_x.jpg", "2001_x.jpg", "2004_y.jpg"}));
    model.setDateSource(RenameEngine::DateSource::taken);
    EXPECT_EQ(printed(model.plan()), (Names{"2023_x.jpg", "2001_x.jpg", "2004_y.jpg"}));
    model.sort(FileList::SortOrder::taken);
    EXPECT_EQ(printed(model.plan()), (Names{"2001_x.jpg", "2004_y.jpg", "2023_x.jpg"}));
    at("one/x.jpg", 1'800'000'000, test::jpegWith(test::exifBlock("2021:08:01 12:00:00", "")));
    model.setRules(model.rules());
    EXPECT_EQ(printed(model.plan()), (Names{"2001_x.jpg", "2004_y.jpg", "2021_x.jpg"}));
    // Dates are handed on only by a sort that reads what the date step writes.
    model.sort(FileList::SortOrder::date);
    EXPECT_EQ(printed(model.plan()), (Names{"2001_x.jpg", "2004_y.jpg", "2021_x.jpg"}));
    model.setDateSource(RenameEngine::DateSource::modified);
    model.sort(FileList::SortOrder::taken);
    EXPECT_EQ(printed(model.plan()), (Names{"2001_x.jpg", "2004_y.jpg", "2027_x.jpg"}));
}

TEST(ModelSort, ByNameAsAFileBrowserDoes) {
    // en_US_POSIX is what the C and POSIX locales become.
    for (const char* name : {"en_US", "en_US_POSIX", "de_DE"}) {
        const test::LocaleAndZone locale(name);
        test::TemporaryFolder folder;
        TavixModel model;
        model.add({folder.write("img10.jpg"), folder.write("B.txt"), folder.write("img2.jpg"),
                   folder.write("a.txt")});
        model.sortByName();
        EXPECT_EQ(test::namesOf(model.files()), (Names{"a.txt", "B.txt", "img2.jpg", "img10.jpg"}))
            << name;
    }
}

// Adding tells the ends of its run only; a sort reads keys one by one and tells
// each hundredth in between. 451 files: a count the step (5) doesn't divide,
// the end falling between two steps. Rename and undo: RenameAndUndoTest.
TEST(ModelProgress, AddingAndSortingReportOneRunEach) {
    using Reports = std::vector<std::pair<std::size_t, std::size_t>>;
    test::TemporaryFolder folder;
    TavixModel model;
    Reports reports;
    model.setProgress(
        [&](std::size_t done, std::size_t total) { reports.emplace_back(done, total); });
    std::vector<Location> files;
    for (int i = 0; i < 451; ++i) files.push_back(folder.write("f" + std::to_string(i), "x"));
    model.add(files);
    EXPECT_EQ(std::exchange(reports, {}), (Reports{{0, 451}, {451, 451}}));
    model.sort(FileList::SortOrder::size);
    Reports sorting;
    for (std::size_t done = 0; done < 451; done += 5) sorting.emplace_back(done, 451);
    sorting.emplace_back(451, 451);
    EXPECT_EQ(std::exchange(reports, {}), sorting);
    model.clear();
    model.sort(FileList::SortOrder::taken);
    EXPECT_EQ(reports, (Reports{{0, 0}, {0, 0}}));
}

// Removing the selected step selects the one after it, else the one before;
// moving steps as a list drag does keeps the selection.
TEST(ModelSteps, RemoveOrMoveAndKeepASelection) {
    constexpr std::size_t remove = SIZE_MAX;  // remove the selected step
    const struct {
        std::string before;
        std::set<std::size_t> from;
        std::size_t to;
        std::string after;
    } cases[] = {
        {"ABC:A", {}, remove, "BC:B"},   {"ABC:B", {}, remove, "AC:C"},
        {"ABC:C", {}, remove, "AB:B"},   {"A:A", {}, remove, ":-"},
        {"ABC:-", {}, remove, "ABC:-"},  {"AB:?", {}, remove, "AB:?"},
        {"ABCD:B", {0}, 2, "BACD:B"},    {"ABCD:B", {0}, 4, "BCDA:B"},
        {"ABCD:B", {3}, 0, "DABC:B"},    {"ABCD:B", {2}, 1, "ACBD:B"},
        {"ABCD:B", {1, 3}, 0, "BDAC:B"}, {"ABCD:B", {0, 2}, 4, "BDAC:B"},
        {"ABCD:B", {0, 3}, 2, "BADC:B"}, {"ABCD:B", {1}, 1, "ABCD:B"},
        {"ABCD:B", {1}, 2, "ABCD:B"},    {"ABCD:B", {0, 1}, 1, "ABCD:B"},
        {"ABCD:B", {}, 0, "ABCD:B"},     {"ABCD:B", {1, 9}, 9, "ACDB:B"},
    };
    for (const auto& c : cases) {
        TavixModel model;
        const std::size_t colon = c.before.find(':');
        std::vector<Step> steps;  // told apart by the text they add
        for (const char label : c.before.substr(0, colon)) {
            steps.push_back(
                Step::make(RenameRule{AddText{std::string(1, label), Position::suffix}}));
        }
        model.setRules(steps);
        const char selected = c.before.back();
        const std::size_t at = c.before.find(selected);
        model.setSelection(at < colon        ? steps[at].id
                           : selected == '?' ? std::optional(Uuid{})
                                             : std::nullopt);
        c.to == remove ? model.removeSelectedStep() : model.moveRules(c.from, c.to);
        EXPECT_EQ(shown(model), c.after) << c.before << " to " << c.to;
    }
}

}  // namespace
}  // namespace tavix
