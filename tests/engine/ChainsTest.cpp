#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "engine/Chains.hpp"
#include "support/TemporaryFolder.hpp"

namespace tavix {
namespace {

using Problem = RenamePlan::Problem;
using test::TemporaryFolder;

struct Case {
    std::string name;
    std::vector<std::string> outside;  // files on disk that aren't in the batch
    std::vector<std::pair<std::string, std::string>> renames;
    std::vector<std::optional<Problem>> problems;
};

class FreeChains : public ::testing::TestWithParam<Case> {};

TEST_P(FreeChains, FreeNamesThatTheBatchGivesUp) {
    const Case& c = GetParam();
    TemporaryFolder folder;
    for (const auto& name : c.outside) folder.write(name);
    std::vector<Location> files;
    std::vector<std::string> names;
    for (const auto& [from, to] : c.renames) {
        files.push_back(folder.write(from));
        names.push_back(to);
    }
    RenamePlan plan = RenameEngine::planNames(std::move(files), names);
    RenameEngine::freeChains(plan);
    std::vector<std::optional<Problem>> problems;
    for (const auto& item : plan.items) problems.push_back(item.problem);
    EXPECT_EQ(problems, c.problems);
}

const std::optional<Problem> free;
const std::optional<Problem> exists = Problem::exists;
const std::optional<Problem> duplicate = Problem::duplicate;

INSTANTIATE_TEST_SUITE_P(
    Chains, FreeChains,
    ::testing::Values(
        Case{"ASwap", {}, {{"a", "b"}, {"b", "a"}}, {free, free}},
        Case{"AThreeCycle", {}, {{"a", "b"}, {"b", "c"}, {"c", "a"}}, {free, free, free}},
        Case{"AShiftIntoAFreeName",
             {},
             {{"f1", "f2"}, {"f2", "f3"}, {"f3", "f4"}},
             {free, free, free}},
        Case{"AShiftIntoAFileOutsideTheBatch",
             {"f3"},
             {{"f1", "f2"}, {"f2", "f3"}},
             {exists, exists}},
        Case{"AChainEndingInAFileThatCantMove",
             {},
             {{"a", "b"}, {"b", "c"}, {"c", "x/y"}},
             {exists, exists, Problem::illegal}},
        Case{"AClashInsideTheBatch",
             {},
             {{"a", "c"}, {"b", "c"}, {"c", "d"}},
             {duplicate, duplicate, free}},
        // "B" is another file than the batch's "b": "a" stays, and so "b" can't
        // have its name.
        Case{"AFileThatStaysHoldsItsName", {"B"}, {{"a", "B"}, {"b", "a"}}, {exists, exists}}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tavix
