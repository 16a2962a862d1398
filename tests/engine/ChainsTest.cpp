#include <sstream>
#include <string>
#include <vector>

#include "ApplyCase.hpp"
#include "engine/Chains.hpp"
#include "support/TemporaryFolder.hpp"

namespace tavix {
namespace {

struct Case {
    std::string name;
    std::string outside;  // files on disk that aren't in the batch
    std::string renames;  // "from>to …"
    std::vector<std::string> planned;
};

class FreeChains : public ::testing::TestWithParam<Case> {};

TEST_P(FreeChains, FreeNamesThatTheBatchGivesUp) {
    const Case& c = GetParam();
    test::TemporaryFolder folder;
    std::istringstream outside(c.outside), renames(c.renames);
    for (std::string name; outside >> name;) folder.write(name);
    std::vector<Location> files;
    std::vector<std::string> names;
    for (std::string rename; renames >> rename;) {
        files.push_back(folder.write(rename.substr(0, rename.find('>'))));
        names.push_back(rename.substr(rename.find('>') + 1));
    }
    RenamePlan plan = RenameEngine::planNames(std::move(files), names);
    RenameEngine::freeChains(plan);
    EXPECT_EQ(printed(plan), c.planned);
}

INSTANTIATE_TEST_SUITE_P(
    Chains, FreeChains,
    ::testing::Values(
        Case{"ASwap", "", "a>b b>a", {"b", "a"}},
        Case{"AThreeCycle", "", "a>b b>c c>a", {"b", "c", "a"}},
        Case{"AShiftIntoAFreeName", "", "f1>f2 f2>f3 f3>f4", {"f2", "f3", "f4"}},
        Case{"AShiftIntoAFileOutsideTheBatch", "f3", "f1>f2 f2>f3", {"f2 !exists", "f3 !exists"}},
        Case{"AChainEndingInAFileThatCantMove",
             "",
             "a>b b>c c>x/y",
             {"b !exists", "c !exists", "x/y !illegal"}},
        // A chain that reaches a file an earlier chain freed is freed, whatever
        // the chain just before it came to.
        Case{"AChainMeetingAFreedOneAfterABlockedOne",
             "",
             "b>c c>d e>f f>x/y a>b",
             {"c", "d", "f !exists", "x/y !illegal", "b"}},
        Case{"AClashInsideTheBatch", "", "a>c b>c c>d", {"c !duplicate", "c !duplicate", "d"}},
        // "B" is another file than the batch's "b": "a" stays, and so "b" can't
        // have its name.
        Case{"AFileThatStaysHoldsItsName", "B", "a>B b>a", {"B !exists", "a !exists"}}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tavix
