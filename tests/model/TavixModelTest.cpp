#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unicode/locid.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "model/TavixModel.hpp"
#include "rules/Catalogue.hpp"
#include "support/TemporaryFolder.hpp"

namespace tavix {

void PrintTo(TavixModel::Field field, std::ostream* out) {
    static const char* const names[] = {
        "files",          "rules",           "keepExtension",  "plan",
        "lastMoves",      "message",         "selection",      "highlightChanges",
        "showPathColumn", "showSizeColumn",  "showDateColumn", "clearAfterRenaming",
        "showInspector",  "previewSelection"};
    *out << names[static_cast<int>(field)];
}

namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Field = TavixModel::Field;
using Step = TavixModel::IdentifiedRule;

// Every field the model announces, in order, while it lives.
class Recorder {
public:
    explicit Recorder(TavixModel& model)
        : subscription_(model.observe([this](Field f) { fields.push_back(f); })) {}

    std::vector<Field> fields;

private:
    TavixModel::Subscription subscription_;
};

std::vector<std::string> newNames(const TavixModel& model) {
    std::vector<std::string> names;
    for (const auto& item : model.plan().items) names.push_back(item.newName);
    return names;
}

std::vector<std::string> fileNames(const TavixModel& model) {
    std::vector<std::string> names;
    for (const auto& file : model.files()) names.push_back(file.filename().string());
    return names;
}

// Steps told apart by the text they add.
std::vector<Step> labelledSteps(const std::string& labels) {
    std::vector<Step> steps;
    for (char label : labels) {
        steps.push_back(Step::make(RenameRule::addText(std::string(1, label), Position::suffix)));
    }
    return steps;
}

std::string labelsOf(const std::vector<Step>& steps) {
    std::string labels;
    for (const Step& step : steps) {
        const auto* add = std::get_if<AddText>(&step.rule.kind);
        labels += add ? add->text : "?";
    }
    return labels;
}

TEST(ModelInitialState, HasOneSelectedBlankStepAndNothingElse) {
    const TavixModel model;
    ASSERT_EQ(model.rules().size(), 1u);
    EXPECT_EQ(model.rules()[0].rule, blank(RuleAction::findReplace));
    EXPECT_EQ(model.selection(), model.rules()[0].id);
    EXPECT_TRUE(model.files().empty());
    EXPECT_TRUE(model.plan().items.empty());
    EXPECT_TRUE(model.lastMoves().empty());
    EXPECT_FALSE(model.message());
    EXPECT_FALSE(model.previewSelection());
    EXPECT_TRUE(model.keepExtension());
    EXPECT_TRUE(model.highlightChanges());
    EXPECT_TRUE(model.showInspector());
    EXPECT_FALSE(model.showPathColumn());
    EXPECT_FALSE(model.showSizeColumn());
    EXPECT_FALSE(model.showDateColumn());
    EXPECT_FALSE(model.clearAfterRenaming());
    EXPECT_FALSE(model.canRename());
    EXPECT_FALSE(model.canUndo());
    EXPECT_FALSE(model.selectedFile());
}

// Three listed files and two steps: a blank one and one that adds "new-".
class ModelWithFiles {
protected:
    ModelWithFiles() {
        model.add(
            {folder.write("b.txt", "b"), folder.write("a.txt", "a"), folder.write("c.txt", "c")});
        auto steps = model.rules();
        steps.push_back(Step::make(RenameRule::addText("new-", Position::prefix)));
        model.setRules(steps);
    }

    testing::TemporaryFolder folder;
    TavixModel model;
};

struct NotificationCase {
    std::string name;
    std::function<void(TavixModel&)> prepare;
    std::function<void(TavixModel&)> act;
    std::vector<Field> told;
};

std::ostream& operator<<(std::ostream& out, const NotificationCase& c) {
    return out << c.name;
}

class ModelNotifications : public ModelWithFiles,
                           public ::testing::TestWithParam<NotificationCase> {};

// Each assignment announces what changed; files, steps and the extension flag
// also rebuild the plan, once, and nothing else does.
TEST_P(ModelNotifications, TellWhatChangedAndRebuildOnce) {
    const auto& c = GetParam();
    if (c.prepare) c.prepare(model);
    const Recorder recorder(model);
    c.act(model);
    EXPECT_THAT(recorder.fields, ElementsAreArray(c.told)) << c.name;
}

void nothing(TavixModel&) {}

INSTANTIATE_TEST_SUITE_P(
    Assignments, ModelNotifications,
    ::testing::Values(
        NotificationCase{
            "setFiles", {}, [](TavixModel& m) { m.setFiles({}); }, {Field::files, Field::plan}},
        NotificationCase{
            "setRules", {}, [](TavixModel& m) { m.setRules({}); }, {Field::rules, Field::plan}},
        NotificationCase{
            "setRule",
            {},
            [](TavixModel& m) { m.setRule(m.rules()[0].id, RenameRule::collapseSpaces()); },
            {Field::rules, Field::plan}},
        NotificationCase{"setRule of an unknown step",
                         {},
                         [](TavixModel& m) {
                             EXPECT_FALSE(m.setRule(Uuid::random(), RenameRule::collapseSpaces()));
                         },
                         {}},
        NotificationCase{"setKeepExtension",
                         {},
                         [](TavixModel& m) { m.setKeepExtension(false); },
                         {Field::keepExtension, Field::plan}},
        NotificationCase{"rebuild", {}, [](TavixModel& m) { m.rebuild(); }, {Field::plan}},
        NotificationCase{"add nothing",
                         {},
                         [](TavixModel& m) { m.add({}); },
                         {Field::files, Field::plan, Field::message}},
        NotificationCase{"remove",
                         {},
                         [](TavixModel& m) {
                             m.remove({0, 2});
                         },
                         {Field::files, Field::plan}},
        NotificationCase{"clear",
                         {},
                         [](TavixModel& m) { m.clear(); },
                         {Field::files, Field::plan, Field::lastMoves, Field::message}},
        NotificationCase{
            "sortByName", {}, [](TavixModel& m) { m.sortByName(); }, {Field::files, Field::plan}},
        NotificationCase{
            "sortByDate", {}, [](TavixModel& m) { m.sortByDate(); }, {Field::files, Field::plan}},
        NotificationCase{"removeSelectedFile",
                         [](TavixModel& m) { m.setPreviewSelection(m.plan().items[1].id); },
                         [](TavixModel& m) { m.removeSelectedFile(); },
                         {Field::files, Field::plan, Field::previewSelection}},
        NotificationCase{"removeSelectedFile with no row selected",
                         {},
                         [](TavixModel& m) { m.removeSelectedFile(); },
                         {}},
        NotificationCase{"addStep",
                         {},
                         [](TavixModel& m) { m.addStep(); },
                         {Field::rules, Field::plan, Field::selection}},
        NotificationCase{"removeSelected",
                         {},
                         [](TavixModel& m) { m.removeSelected(); },
                         {Field::rules, Field::plan, Field::selection}},
        NotificationCase{"moveRules",
                         {},
                         [](TavixModel& m) { m.moveRules({1}, 0); },
                         {Field::rules, Field::plan}},
        NotificationCase{
            "setMessage", {}, [](TavixModel& m) { m.setMessage("x"); }, {Field::message}},
        NotificationCase{
            "setSelection", {}, [](TavixModel& m) { m.setSelection({}); }, {Field::selection}},
        NotificationCase{"setPreviewSelection",
                         {},
                         [](TavixModel& m) { m.setPreviewSelection(Uuid::random()); },
                         {Field::previewSelection}},
        NotificationCase{"setHighlightChanges",
                         {},
                         [](TavixModel& m) { m.setHighlightChanges(false); },
                         {Field::highlightChanges}},
        NotificationCase{"setShowPathColumn",
                         {},
                         [](TavixModel& m) { m.setShowPathColumn(true); },
                         {Field::showPathColumn}},
        NotificationCase{"setShowSizeColumn",
                         {},
                         [](TavixModel& m) { m.setShowSizeColumn(true); },
                         {Field::showSizeColumn}},
        NotificationCase{"setShowDateColumn",
                         {},
                         [](TavixModel& m) { m.setShowDateColumn(true); },
                         {Field::showDateColumn}},
        NotificationCase{"setClearAfterRenaming",
                         {},
                         [](TavixModel& m) { m.setClearAfterRenaming(true); },
                         {Field::clearAfterRenaming}},
        NotificationCase{"setShowInspector",
                         {},
                         [](TavixModel& m) { m.setShowInspector(false); },
                         {Field::showInspector}},
        NotificationCase{"rename",
                         {},
                         [](TavixModel& m) { m.rename(); },
                         {Field::lastMoves, Field::files, Field::plan, Field::message}},
        NotificationCase{"rename that clears the list",
                         [](TavixModel& m) { m.setClearAfterRenaming(true); },
                         [](TavixModel& m) { m.rename(); },
                         {Field::lastMoves, Field::files, Field::plan, Field::message, Field::files,
                          Field::plan, Field::lastMoves}},
        NotificationCase{"undo",
                         [](TavixModel& m) { m.rename(); },
                         [](TavixModel& m) { m.undo(); },
                         {Field::files, Field::plan, Field::lastMoves, Field::message}},
        NotificationCase{"addFiles without a dialog", {}, [](TavixModel& m) { m.addFiles(); }, {}},
        NotificationCase{"nothing", {}, nothing, {}}));

struct ReplanCase {
    std::string name;
    std::function<void(TavixModel&)> act;
    std::vector<std::string> newNames;
};

std::ostream& operator<<(std::ostream& out, const ReplanCase& c) {
    return out << c.name;
}

class ModelReplans : public ModelWithFiles, public ::testing::TestWithParam<ReplanCase> {};

// The plan that follows a change is made from the new values.
TEST_P(ModelReplans, FromTheNewValues) {
    const auto& c = GetParam();
    c.act(model);
    EXPECT_THAT(newNames(model), ElementsAreArray(c.newNames)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ModelReplans,
    ::testing::Values(
        ReplanCase{"nothing changed", nothing, {"new-b.txt", "new-a.txt", "new-c.txt"}},
        ReplanCase{"a step edited in place",
                   [](TavixModel& m) {
                       m.setRule(m.rules()[1].id, RenameRule::addText("x", Position::suffix));
                   },
                   {"bx.txt", "ax.txt", "cx.txt"}},
        ReplanCase{"the extension included",
                   [](TavixModel& m) {
                       m.setRule(m.rules()[1].id, RenameRule::changeCase(CaseStyle::upper));
                       m.setKeepExtension(false);
                   },
                   {"B.TXT", "A.TXT", "C.TXT"}},
        ReplanCase{"every step removed",
                   [](TavixModel& m) { m.setRules({}); },
                   {"b.txt", "a.txt", "c.txt"}},
        ReplanCase{"steps reordered",
                   [](TavixModel& m) {
                       m.setRule(m.rules()[0].id, RenameRule::crop(CropMode::removeFirst, 4));
                       m.moveRules({1}, 0);
                   },
                   {"b.txt", "a.txt", "c.txt"}},
        ReplanCase{
            "a file removed", [](TavixModel& m) { m.remove({1}); }, {"new-b.txt", "new-c.txt"}},
        ReplanCase{"files sorted",
                   [](TavixModel& m) { m.sortByName(); },
                   {"new-a.txt", "new-b.txt", "new-c.txt"}}));

TEST(ModelObservers, MayEndThemselvesAndOthersWhileTold) {
    TavixModel model;
    std::vector<std::string> heard;
    TavixModel::Subscription first;
    TavixModel::Subscription second;
    first = model.observe([&](Field) {
        heard.push_back("first");
        first.reset();
        second.reset();
    });
    second = model.observe([&](Field) { heard.push_back("second"); });
    const auto third = model.observe([&](Field) { heard.push_back("third"); });
    model.setShowInspector(false);
    model.setShowInspector(true);
    EXPECT_THAT(heard, ElementsAre("first", "third", "third"));
}

TEST(ModelObservers, EndWithTheirHandle) {
    TavixModel model;
    int first = 0;
    int second = 0;
    {
        auto handle = model.observe([&](Field) { ++first; });
        TavixModel::Subscription moved = std::move(handle);  // still observing
        model.setShowInspector(false);
        // A new observation assigned to the handle ends the one it held.
        moved = model.observe([&](Field) { ++second; });
        model.setShowInspector(true);
    }
    model.setShowInspector(false);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);
}

TEST(ModelObservers, SeeTheNewPlanWhenTheFilesChange) {
    testing::TemporaryFolder folder;
    TavixModel model;
    std::vector<std::size_t> planSizes;
    const auto subscription = model.observe([&](Field field) {
        if (field == Field::files) planSizes.push_back(model.plan().items.size());
    });
    model.add({folder.write("a.txt"), folder.write("b.txt")});
    EXPECT_THAT(planSizes, ElementsAre(2u));
}

struct AddCase {
    std::string name;
    std::vector<std::vector<std::string>> calls;  // relative paths, one list per call
    std::vector<std::string> listed;
};

std::ostream& operator<<(std::ostream& out, const AddCase& c) {
    return out << c.name;
}

class ModelAdds : public ::testing::TestWithParam<AddCase> {};

TEST_P(ModelAdds, OnlyNewExistingFiles) {
    const auto& c = GetParam();
    testing::TemporaryFolder folder;
    folder.write("a.txt");
    folder.write("b.txt");
    folder.folder("photos");
    TavixModel model;
    model.setMessage("Renamed 3 files.");
    for (const auto& call : c.calls) {
        std::vector<Location> given;
        for (const auto& relative : call) given.push_back(folder.path() / relative);
        model.add(given);
    }
    EXPECT_THAT(fileNames(model), ElementsAreArray(c.listed)) << c.name;
    EXPECT_EQ(model.plan().items.size(), c.listed.size());
    EXPECT_FALSE(model.message());
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ModelAdds,
    ::testing::Values(
        AddCase{"in the order given", {{"b.txt", "a.txt"}}, {"b.txt", "a.txt"}},
        AddCase{"twice in one call", {{"a.txt", "a.txt"}}, {"a.txt"}},
        AddCase{"twice in two calls", {{"a.txt"}, {"b.txt", "a.txt"}}, {"a.txt", "b.txt"}},
        AddCase{"a folder", {{"photos", "a.txt"}}, {"a.txt"}},
        AddCase{"a missing path", {{"gone.txt"}}, {}}, AddCase{"an empty list", {{}}, {}}));

TEST(ModelAddFiles, AsksForSeveralFilesAndAddsThem) {
    testing::TemporaryFolder folder;
    const auto a = folder.write("a.txt");
    const auto b = folder.write("b.txt");
    std::vector<TavixModel::FileChooserRequest> asked;
    TavixModel model([&](const TavixModel::FileChooserRequest& request) {
        asked.push_back(request);
        return std::vector<Location>{b, a};
    });
    model.setMessage("Put 2 files back.");
    model.addFiles();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].message, "Choose the files to rename");
    EXPECT_TRUE(asked[0].filesOnly);
    EXPECT_TRUE(asked[0].multiple);
    EXPECT_THAT(model.files(), ElementsAre(b, a));
    EXPECT_FALSE(model.message());
}

TEST(ModelAddFiles, CancelChangesNothing) {
    TavixModel model([](const TavixModel::FileChooserRequest&) { return std::vector<Location>{}; });
    model.setMessage("Renamed 1 file.");
    const Recorder recorder(model);
    model.addFiles();
    EXPECT_TRUE(recorder.fields.empty());
    EXPECT_EQ(model.message(), "Renamed 1 file.");
}

class ModelFiles : public ModelWithFiles, public ::testing::Test {};

TEST_F(ModelFiles, RemoveDropsTheGivenOffsetsAndKeepsTheOrder) {
    model.add({folder.write("d.txt")});
    model.remove({0, 2, 9});
    EXPECT_THAT(fileNames(model), ElementsAre("a.txt", "d.txt"));
}

TEST_F(ModelFiles, ClearKeepsTheStepsTheSelectionAndTheToggles) {
    model.setShowSizeColumn(true);
    model.setHighlightChanges(false);
    model.rename();
    ASSERT_TRUE(model.canUndo());
    const auto steps = model.rules();
    const auto selected = model.selection();
    model.clear();
    EXPECT_TRUE(model.files().empty());
    EXPECT_TRUE(model.plan().items.empty());
    EXPECT_TRUE(model.lastMoves().empty());
    EXPECT_FALSE(model.message());
    EXPECT_EQ(model.rules(), steps);
    EXPECT_EQ(model.selection(), selected);
    EXPECT_TRUE(model.showSizeColumn());
    EXPECT_FALSE(model.highlightChanges());
}

TEST_F(ModelFiles, SelectedFileIsTheUrlOfTheSelectedItem) {
    model.setPreviewSelection(model.plan().items[1].id);
    EXPECT_EQ(model.selectedFile(), folder.path() / "a.txt");
    model.setPreviewSelection(Uuid::random());
    EXPECT_FALSE(model.selectedFile());
}

TEST_F(ModelFiles, SelectedFileIsGoneAfterAnyChangeOfFilesOrSteps) {
    const std::vector<std::function<void(TavixModel&)>> changes = {
        [](TavixModel& m) { m.sortByName(); },
        [](TavixModel& m) { m.add({}); },
        [](TavixModel& m) { m.addStep(); },
        [](TavixModel& m) { m.setKeepExtension(false); },
    };
    for (const auto& change : changes) {
        model.setPreviewSelection(model.plan().items[0].id);
        ASSERT_TRUE(model.selectedFile());
        change(model);
        EXPECT_FALSE(model.selectedFile());
        EXPECT_TRUE(model.previewSelection());
    }
}

TEST_F(ModelFiles, RemoveSelectedFileDropsItAndTheRowSelection) {
    model.setPreviewSelection(model.plan().items[1].id);
    model.removeSelectedFile();
    EXPECT_THAT(fileNames(model), ElementsAre("b.txt", "c.txt"));
    EXPECT_FALSE(model.previewSelection());
}

TEST_F(ModelFiles, RemoveSelectedFileDropsEveryListingOfIt) {
    const auto a = folder.path() / "a.txt";
    model.setFiles({a, folder.path() / "b.txt", a});
    model.setPreviewSelection(model.plan().items[2].id);
    model.removeSelectedFile();
    EXPECT_THAT(fileNames(model), ElementsAre("b.txt"));
}

TEST_F(ModelFiles, RemoveSelectedFileWithAStaleRowDoesNothing) {
    const auto stale = model.plan().items[1].id;
    model.rebuild();
    model.setPreviewSelection(stale);
    model.removeSelectedFile();
    EXPECT_EQ(model.files().size(), 3u);
    EXPECT_EQ(model.previewSelection(), stale);
}

// Sets ICU's default locale for one test.
class DefaultLocale {
public:
    explicit DefaultLocale(const char* name) : saved_(icu::Locale::getDefault()) {
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(icu::Locale(name), status);
    }
    ~DefaultLocale() {
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(saved_, status);
    }

private:
    icu::Locale saved_;
};

TEST(ModelSort, ByNameAsAFileBrowserDoes) {
    // en_US_POSIX is what the C and POSIX locales become.
    for (const char* name : {"en_US", "en_US_POSIX", "de_DE"}) {
        const DefaultLocale locale(name);
        testing::TemporaryFolder folder;
        TavixModel model;
        model.add({folder.write("img10.jpg"), folder.write("B.txt"), folder.write("img2.jpg"),
                   folder.write("a.txt")});
        model.sortByName();
        EXPECT_THAT(fileNames(model), ElementsAre("a.txt", "B.txt", "img2.jpg", "img10.jpg"))
            << name;
    }
}

TEST(ModelSort, ByDateOldestFirstWithUnreadableDatesBeforeAll) {
    testing::TemporaryFolder folder;
    const auto at = [&](const std::string& name, int secondsAfterEpoch) {
        const auto file = folder.write(name);
        fs::last_write_time(file, fs::file_time_type::clock::from_sys(std::chrono::sys_seconds{
                                      std::chrono::seconds{1'700'000'000 + secondsAfterEpoch}}));
        return file;
    };
    TavixModel model;
    model.add({at("late.txt", 300), at("first-of-two.txt", 100), at("middle.txt", 200),
               at("second-of-two.txt", 100), folder.write("gone.txt")});
    fs::remove(folder.path() / "gone.txt");
    model.sortByDate();
    EXPECT_THAT(fileNames(model), ElementsAre("gone.txt", "first-of-two.txt", "second-of-two.txt",
                                              "middle.txt", "late.txt"));
}

struct RemoveStepCase {
    std::string name;
    std::string steps;
    std::optional<std::size_t> selected;  // offset of the selected step
    std::string remaining;
    std::optional<char> nowSelected;
};

std::ostream& operator<<(std::ostream& out, const RemoveStepCase& c) {
    return out << c.name;
}

class ModelRemovesSteps : public ::testing::TestWithParam<RemoveStepCase> {};

TEST_P(ModelRemovesSteps, AndSelectsANeighbour) {
    const auto& c = GetParam();
    TavixModel model;
    model.setRules(labelledSteps(c.steps));
    model.setSelection(c.selected ? std::optional(model.rules()[*c.selected].id) : std::nullopt);
    model.removeSelected();
    EXPECT_EQ(labelsOf(model.rules()), c.remaining) << c.name;
    if (c.nowSelected) {
        const auto expected = c.remaining.find(*c.nowSelected);
        ASSERT_NE(expected, std::string::npos);
        EXPECT_EQ(model.selection(), model.rules()[expected].id) << c.name;
    } else {
        EXPECT_FALSE(model.selection()) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Stacks, ModelRemovesSteps,
    ::testing::Values(
        RemoveStepCase{"the first selects the one that moved up", "ABC", 0, "BC", 'B'},
        RemoveStepCase{"a middle one selects the one that moved up", "ABC", 1, "AC", 'C'},
        RemoveStepCase{"the last selects the new last", "ABC", 2, "AB", 'B'},
        RemoveStepCase{"the only one leaves no step and no selection", "A", 0, "", std::nullopt},
        RemoveStepCase{"nothing selected removes nothing", "ABC", std::nullopt, "ABC",
                       std::nullopt}));

TEST(ModelSteps, RemoveSelectedWithAnUnknownIdDoesNothing) {
    TavixModel model;
    model.setRules(labelledSteps("AB"));
    const auto unknown = Uuid::random();
    model.setSelection(unknown);
    model.removeSelected();
    EXPECT_EQ(labelsOf(model.rules()), "AB");
    EXPECT_EQ(model.selection(), unknown);
}

TEST(ModelSteps, AddStepAppendsABlankStepAndSelectsIt) {
    TavixModel model;
    model.setRules(labelledSteps("ABC"));
    model.setSelection(model.rules()[1].id);
    model.addStep();
    ASSERT_EQ(model.rules().size(), 4u);
    EXPECT_EQ(labelsOf(model.rules()), "ABC?");
    EXPECT_EQ(model.rules()[3].rule, blank(RuleAction::findReplace));
    EXPECT_EQ(model.selection(), model.rules()[3].id);
    EXPECT_NE(model.rules()[3].id, model.rules()[1].id);
}

struct MoveCase {
    std::set<std::size_t> from;
    std::size_t to;
    std::string order;
};

std::ostream& operator<<(std::ostream& out, const MoveCase& c) {
    out << "{";
    for (auto offset : c.from) out << offset << " ";
    return out << "} to " << c.to;
}

class ModelMovesSteps : public ::testing::TestWithParam<MoveCase> {};

TEST_P(ModelMovesSteps, LikeAListDrag) {
    const auto& c = GetParam();
    TavixModel model;
    model.setRules(labelledSteps("ABCD"));
    model.setSelection(model.rules()[1].id);
    const auto selected = model.selection();
    model.moveRules(c.from, c.to);
    EXPECT_EQ(labelsOf(model.rules()), c.order);
    EXPECT_EQ(model.selection(), selected);
    const auto stillThere = std::ranges::find(model.rules(), *selected, &Step::id);
    EXPECT_NE(stillThere, model.rules().end());
}

INSTANTIATE_TEST_SUITE_P(Drags, ModelMovesSteps,
                         ::testing::Values(MoveCase{{0}, 2, "BACD"}, MoveCase{{0}, 4, "BCDA"},
                                           MoveCase{{3}, 0, "DABC"}, MoveCase{{2}, 1, "ACBD"},
                                           MoveCase{{1, 3}, 0, "BDAC"}, MoveCase{{0, 2}, 4, "BDAC"},
                                           MoveCase{{0, 3}, 2, "BADC"}, MoveCase{{1}, 1, "ABCD"},
                                           MoveCase{{1}, 2, "ABCD"}, MoveCase{{0, 1}, 1, "ABCD"},
                                           MoveCase{{}, 0, "ABCD"}, MoveCase{{1, 9}, 9, "ACDB"}));

}  // namespace
}  // namespace tavix
