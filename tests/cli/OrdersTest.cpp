#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/Cli.hpp"
#include "support/CliRun.hpp"
#include "support/Files.hpp"
#include "support/TemporaryFolder.hpp"

namespace tavix {
namespace {

using namespace test;

using Result = CliResult;

TEST(Orders, PerFolderBatchesRestartNumberingAndClashOnlyWithin) {
    TemporaryFolder folder;
    folder.write("one/x.txt");
    folder.write("two/x.txt");
    folder.write("one/y.txt");
    const std::vector<std::string> list = {"one/x.txt", "two/x.txt", "one/y.txt"};
    auto args = std::vector<std::string>{"plan", "--per-folder"};
    args.insert(args.end(), list.begin(), list.end());
    EXPECT_EQ(runCli(args, folder.path()).status, 0);  // x.txt twice, in two folders
    args[0] = "rename";
    args.insert(args.end(), {"--step", "sequence", "--json", "--journal", "j.json"});
    const Result renamed = runCli(args, folder.path());
    ASSERT_EQ(renamed.status, 0) << renamed.out << renamed.err;
    const auto moves = nlohmann::json::parse(renamed.out)["moves"];
    std::vector<std::string> to;
    for (const auto& move : moves) {
        to.push_back(std::filesystem::path(move["to"].get<std::string>())
                         .lexically_relative(folder.path())
                         .string());
    }
    EXPECT_EQ(to, (std::vector<std::string>{"one/x-01.txt", "one/y-02.txt", "two/x-01.txt"}));
    // Within one folder, a clash is still a clash.
    EXPECT_EQ(runCli({"plan", "--per-folder", "--step", "findReplace find=y-02 replace=x-01",
                      "one/x-01.txt", "one/y-02.txt", "two/x-01.txt"},
                     folder.path())
                  .status,
              1);
}

}  // namespace
}  // namespace tavix
