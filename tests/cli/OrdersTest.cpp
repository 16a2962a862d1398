#include "cli/Orders.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/Cli.hpp"
#include "support/CliRun.hpp"
#include "support/ExifBytes.hpp"
#include "support/Files.hpp"
#include "support/TemporaryFolder.hpp"

namespace tavix {
namespace {

using namespace testing;
using cli::SortOrder;

using Result = CliResult;

// Files whose keys disagree: b.jpg is the largest, modified first but taken
// last; c.jpg and d.txt are as large and as old as each other.
class Orders : public ::testing::Test {
protected:
    Orders() {
        const auto at = [&](const std::string& name, const std::string& contents, int minute) {
            return setModified(folder.write(name, contents), 1'800'000'000 + 60 * minute),
                   folder.path() / name;
        };
        // Camera A has the zone in its EXIF, camera B's clock is on UTC without one.
        files = {at("a.jpg", jpegWith(exifBlock("2023:08:01 12:00:00", "+02:00")), 3),
                 at("b.jpg", jpegWith(exifBlock("2023:08:01 10:30:00", "+00:00")) + "padding", 1),
                 at("c.jpg", "1234", 2), at("d.txt", "1234", 2)};
    }
    TemporaryFolder folder;
    std::vector<Location> files;
};

TEST_F(Orders, AreStableAndReverseOnlyTheKeys) {
    const struct {
        SortOrder order;
        bool reverse;
        std::vector<std::string> expected;
    } cases[] = {
        {SortOrder::size, false, {"c.jpg", "d.txt", "a.jpg", "b.jpg"}},
        {SortOrder::size, true, {"b.jpg", "a.jpg", "c.jpg", "d.txt"}},
        {SortOrder::date, false, {"b.jpg", "c.jpg", "d.txt", "a.jpg"}},
        {SortOrder::date, true, {"a.jpg", "c.jpg", "d.txt", "b.jpg"}},
        // a.jpg was taken at 10:00 UTC, b.jpg at 10:30; the others have no EXIF and
        // were modified in 2027.
        {SortOrder::taken, false, {"a.jpg", "b.jpg", "c.jpg", "d.txt"}},
        {SortOrder::name, true, {"d.txt", "c.jpg", "b.jpg", "a.jpg"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> names;
        for (const auto& file : cli::sortedFiles(files, c.order, c.reverse)) {
            names.push_back(file.filename().string());
        }
        EXPECT_EQ(names, c.expected) << int(c.order) << " reverse " << c.reverse;
    }
}

TEST_F(Orders, PutFilesWhoseKeyCantBeReadFirst) {
    auto list = files;
    list.insert(list.begin() + 2, folder.path() / "vanished.jpg");
    for (SortOrder order : {SortOrder::size, SortOrder::created, SortOrder::taken}) {
        for (bool reverse : {false, true}) {
            EXPECT_EQ(cli::sortedFiles(list, order, reverse).front().filename(), "vanished.jpg");
        }
    }
}

TEST_F(Orders, PerFolderBatchesRestartNumberingAndClashOnlyWithin) {
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
