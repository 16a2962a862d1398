#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/ApplyCase.hpp"
#include "model/ListPlanning.hpp"
#include "model/TavixModel.hpp"
#include "support/TemporaryFolder.hpp"

namespace tavix {
namespace {

using Step = TavixModel::IdentifiedRule;

// Rules that change names in ways later steps notice: a step that keeps its
// stems from an earlier plan must still hand the right ones to the steps below.
std::vector<RenameRule> someRules() {
    return {
        RenameRule{FindReplace{"(\\d+)", "<$1>", true, false, Occurrences::all}},
        RenameRule{FindReplace{"a", "A", false, true, Occurrences::first}},
        RenameRule{AddText{"caf\u00e9-", Position::prefix}},
        // Canonically equal to the one above, but other bytes.
        RenameRule{AddText{"cafe\u0301-", Position::prefix}},
        RenameRule{ChangeCase{CaseStyle::upper}},
        RenameRule{ChangeCase{CaseStyle::title}},
        RenameRule{Sequence{7, 3, 3, Position::suffix, "#"}},
        RenameRule{Crop{CropMode::removeFirst, 2}},
        RenameRule{InsertAt{"_", 3}},
        RenameRule{Truncate{9, Position::suffix}},
        RenameRule{RemoveCharacters{CharacterClass::digits, ""}},
        RenameRule{ParentFolder{Position::suffix, "@"}},
        RenameRule{CollapseSpaces{}},
        // Runs out of time on a run of "a"s not at the end: the name is tooSlow.
        RenameRule{FindReplace{"(a+)+$|!", "Z", true, false, Occurrences::all}},
        // Gives every name the same one, so that clashes come and go.
        RenameRule{FindReplace{".+", "same", true, false, Occurrences::all}},
    };
}

// Each step of a stack is replaced in turn by every other rule, steps are
// removed, added and moved, the extension is kept or not, files leave and come
// back and batches are made per folder or not, in random order: after each
// change the model's plan is the one a plan from scratch gives.
TEST(IncrementalPlan, GivesWhatAFullReplanGivesAfterEveryEdit) {
    const std::vector<RenameRule> rules = someRules();
    for (const bool perFolder : {false, true}) {
        std::mt19937 random(perFolder ? 7 : 11);
        const auto pick = [&](std::size_t n) {
            return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
        };
        test::TemporaryFolder folder;
        TavixModel model;
        model.setPerFolder(perFolder);
        for (const std::string& name : std::vector<std::string>{
                 "one/IMG_0001.jpg", "one/img_0002.JPG", "two/Caf\u00e9 3.png", "two/a  b  c",
                 "one/\xff\xfe bytes 4.txt", "two/.hidden", "one/Z\u00fcrich 2024 05.heic", "two/x",
                 "one/" + std::string(29, 'a') + "!"}) {
            model.add({folder.write(name)});  // in two folders
        }
        ASSERT_EQ(model.files().size(), 9u);
        std::vector<Step> steps;
        for (int i = 0; i < 5; ++i) steps.push_back(Step::make(rules[pick(rules.size())]));
        model.setRules(steps);
        for (int round = 0; round < 300; ++round) {
            const std::size_t kind = pick(13);
            if (kind < 7 && !model.rules().empty()) {
                const std::size_t at = round % model.rules().size();
                model.setRule(model.rules()[at].id, rules[pick(rules.size())]);
            } else if (kind == 7 && model.rules().size() > 1) {
                model.setSelection(model.rules()[pick(model.rules().size())].id);
                model.removeSelectedStep();
            } else if (kind == 8 && model.rules().size() < 8) {
                std::vector<Step> more = model.rules();
                more.insert(more.begin() + static_cast<std::ptrdiff_t>(pick(more.size() + 1)),
                            Step::make(rules[pick(rules.size())]));
                model.setRules(more);
            } else if (kind == 10) {
                model.setKeepExtension(!model.keepExtension());
            } else if (kind == 12) {
                model.setPerFolder(!model.perFolder());
            } else if (kind == 11) {  // a file leaves the list and comes back at its end
                const std::size_t at = pick(model.files().size());
                const Location file = model.files()[at];
                model.remove({at});
                model.add({file});
            } else if (!model.rules().empty()) {
                model.moveRules({pick(model.rules().size())}, pick(model.rules().size() + 1));
            }
            std::vector<RenameRule> current;
            for (const Step& step : model.rules()) current.push_back(step.rule);
            const RenamePlan full = ListPlanning::plan(model.files(), current,
                                                       {.keepExtension = model.keepExtension(),
                                                        .perFolder = model.perFolder(),
                                                        .inListOrder = true});
            ASSERT_EQ(printed(model.plan(), true), printed(full, true)) << "round " << round;
        }
    }
}

}  // namespace
}  // namespace tavix
