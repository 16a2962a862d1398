#include <gtest/gtest.h>
#include <stdlib.h>

#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/CommandPlan.hpp"
#include "support/CliRun.hpp"
#include "support/Files.hpp"
#include "support/TemporaryFolder.hpp"
#include "system/FolderEntries.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using test::contentsOf;
using test::namesIn;
using test::TemporaryFolder;
using Names = std::vector<std::string>;
using Result = test::CliResult;
using Listing = std::map<std::string, std::string>;

class ChainsAndEdit : public test::CliFolder {
protected:
    ~ChainsAndEdit() override { ::unsetenv("VISUAL"); }

    void write(const Names& names) const {
        for (const auto& name : names) folder.write(name, name);
    }
    // The editor: a shell script that copies what it was given to "seen" beside
    // the script, then runs `body` with the file as $1.
    void editor(const std::string& body) {
        const fs::path script =
            tools.write("editor.sh", "#!/bin/sh\ncp \"$1\" \"" + (tools.path() / "seen").string() +
                                         "\"\n" + body + "\n");
        fs::permissions(script, fs::perms::owner_all);
        ::setenv("VISUAL", script.c_str(), 1);
    }
    std::string seen() const { return contentsOf(tools.path() / "seen"); }
    // The path of the file that the error output says keeps the edits.
    static fs::path keptFile(const std::string& err) {
        const std::string marker = "kept in ";
        const auto at = err.find(marker);
        if (at == std::string::npos) return {};
        return err.substr(at + marker.size(), err.find('\n', at) - at - marker.size());
    }

    TemporaryFolder tools;
};

// A plan of names given keeps the folder reads it was made with, one batch or
// one per folder, so that the journal's identities come from them too.
TEST_F(ChainsAndEdit, PlansOfNamesGivenKeepTheFolderReads) {
    write({"a", "b", "sub/c"});
    const std::vector<std::string> paths = {(folder.path() / "a").string(),
                                            (folder.path() / "sub/c").string(),
                                            (folder.path() / "b").string()};
    for (const bool perFolder : {false, true}) {
        for (const bool aligned : {true, false}) {
            cli::Arguments args;
            args.paths = paths;
            args.perFolder = perFolder;
            args.newNames = std::make_shared<const std::vector<std::string>>(Names{"x", "y", "z"});
            std::vector<Location> files(paths.begin(), paths.end());
            if (!aligned) std::swap(files[1], files[2]);
            const auto reads = std::make_shared<FileSystem::FolderSnapshots>();
            const RenamePlan plan = cli::planBatches(std::move(files), {}, args, reads);
            EXPECT_EQ(plan.folders, reads) << perFolder << aligned;
            ASSERT_EQ(plan.items.size(), 3u);
            EXPECT_EQ(plan.items[0].newName, "x");
        }
    }
}

// The order each move is made in, and the files that step aside.
TEST_F(ChainsAndEdit, PlanWithChainsOrdersTheMoves) {
    write({"a", "b", "c"});
    const std::string map = "a\tb\nb\ta\nc\td\n";
    const auto document = json::parse(run({"plan", "--chains", "--json", "--map", "-"}, map).out);
    std::vector<json> order;
    for (const auto& item : document["items"])
        order.push_back({item["order"], item["viaTemporary"]});
    EXPECT_EQ(order, (std::vector<json>{{2, false}, {3, true}, {1, false}}));
    EXPECT_FALSE(
        json::parse(run({"plan", "--json", "--map", "-"}, map).out)["items"][0].contains("order"));
    // A name held outside the batch leaves its file out of the order.
    const auto held = run({"plan", "--chains", "--json", "--map", "-"}, "a\tc\n");
    EXPECT_EQ(json::parse(held.out)["items"][0]["order"], nullptr);
}

TEST_F(ChainsAndEdit, RenameWithChainsSwapsShiftsAndJournalsTheOrder) {
    write({"a", "b", "f1", "f2", "f3"});
    EXPECT_EQ(run({"rename", "--chains", "--journal", "j.jsonl", "--map", "-"},
                  "a\tb\nb\ta\nf1\tf2\nf2\tf3\nf3\tf4\n"),
              (Result{0, "Renamed 5 files.\n", ""}));
    EXPECT_EQ(test::filesIn(folder.path()), (Listing{{"a", "b"},
                                                     {"b", "a"},
                                                     {"f2", "f1"},
                                                     {"f3", "f2"},
                                                     {"f4", "f3"},
                                                     {"j.jsonl", in("j.jsonl")}}));

    // The journal lists the moves in the order they finished: the shift from its
    // far end, then the swap, whose file that stepped aside comes last.
    std::istringstream lines(in("j.jsonl"));
    std::string line;
    std::getline(lines, line);
    Names order;
    std::string temporary;
    while (std::getline(lines, line) && line.starts_with("{\"from\"")) {
        const json move = json::parse(line);
        order.push_back(fs::path(move["from"].get<std::string>()).filename().string() + ">" +
                        fs::path(move["to"].get<std::string>()).filename().string());
        if (!move["temporary"].is_null()) temporary = move["temporary"];
    }
    EXPECT_EQ(order, (Names{"f3>f4", "f2>f3", "f1>f2", "a>b", "b>a"}));
    EXPECT_TRUE(fs::path(temporary).filename().string().starts_with(".tavix-")) << temporary;

    EXPECT_EQ(run({"undo", "j.jsonl"}).status, 0);
    EXPECT_EQ(test::filesIn(folder.path()), (Listing{{"a", "a"},
                                                     {"b", "b"},
                                                     {"f1", "f1"},
                                                     {"f2", "f2"},
                                                     {"f3", "f3"},
                                                     {"j.jsonl", in("j.jsonl")}}));
}

TEST_F(ChainsAndEdit, MapRenamesEachPathToTheNameBesideIt) {
    write({"a.txt", "b.txt", "c.txt"});
    const auto renamed = run({"rename", "--json", "--no-journal", "-0", "--map", "-"},
                             std::string("a.txt\0x\ty.txt\0", 14) + at("b.txt") +
                                 std::string("\0B.TXT\0", 7));
    EXPECT_EQ(json::parse(renamed.out)["moves"].size(), 2u) << renamed.err;
    EXPECT_EQ(namesIn(folder.path()), (Names{"B.TXT", "c.txt", "x\ty.txt"}));
}

TEST_F(ChainsAndEdit, EditRenamesWhatWasChangedAndLeavesDeletedLinesAlone) {
    folder.write("sub/c.txt", "c");
    write({"a.txt", "b.txt", "tab\there.txt"});
    // Reordered lines, one deleted, one renamed to a name with a tab and a newline.
    editor(
        "printf '3\\tone\\\\ttwo\\\\nthree.txt\\n2\\tB.txt\\n# a comment\\n\\n4\\tc.txt\\n' > "
        "\"$1\"");
    EXPECT_EQ(
        run({"edit", "--yes", "--journal", "j.jsonl", "a.txt", "b.txt", "tab\there.txt",
             "sub/c.txt"}),
        (Result{0,
                "a.txt  \u2192  a.txt\nb.txt  \u2192  B.txt\n"
                "tab\\there.txt  \u2192  one\\ttwo\\nthree.txt\nc.txt  \u2192  c.txt\n"
                "4 files \u00B7 2 will change\nRenamed 2 files.\n",
                ""}));
    EXPECT_EQ(seen(), "# " + folder.path().string() +
                          "\n1\ta.txt\n2\tb.txt\n3\ttab\\there.txt\n\n# " + at("sub") +
                          "\n4\tc.txt\n");
    EXPECT_EQ(test::filesIn(folder.path()), (Listing{{"B.txt", "b.txt"},
                                                     {"a.txt", "a.txt"},
                                                     {"one\ttwo\nthree.txt", "tab\there.txt"},
                                                     {"j.jsonl", in("j.jsonl")}}));
    EXPECT_EQ(run({"undo", "j.jsonl"}).status, 0);
    EXPECT_EQ(test::filesIn(folder.path()), (Listing{{"a.txt", "a.txt"},
                                                     {"b.txt", "b.txt"},
                                                     {"tab\there.txt", "tab\there.txt"},
                                                     {"j.jsonl", in("j.jsonl")}}));
}

// Which lines can't be read is the edit text's test; here, what becomes of them.
TEST_F(ChainsAndEdit, EditKeepsTextItCantReadAndRenamesNothing) {
    write({"a", "b"});
    editor("printf '1\\tx\\n1\\ty\\n' > \"$1\"; cp \"$1\" \"$1.typed\"");
    const auto result = run({"edit", "--yes", "--no-journal", "a", "b"});
    EXPECT_EQ(result.status, 2);
    EXPECT_TRUE(
        result.err.starts_with("tavix-cli: line 2: file 1 is given twice; nothing was renamed\n"))
        << result.err;
    const fs::path kept = keptFile(result.err);
    ASSERT_FALSE(kept.empty()) << result.err;
    EXPECT_EQ(contentsOf(kept), contentsOf(kept.string() + ".typed"));
    fs::remove(kept);
    EXPECT_EQ(namesIn(folder.path()), (Names{"a", "b"}));
}

TEST_F(ChainsAndEdit, EditRenamesNothingWithoutAYes) {
    write({"a"});
    editor("printf '1\\tz\\n' > \"$1\"");
    const auto noTerminal = run({"edit", "--no-journal", "a"});
    EXPECT_EQ(noTerminal.status, 1);
    EXPECT_NE(noTerminal.err.find("--yes"), std::string::npos);
    fs::remove(keptFile(noTerminal.err));

    inIsTerminal = true;
    const std::string plan = "a  \u2192  z\n1 file \u00B7 1 will change\n";
    EXPECT_EQ(run({"edit", "--no-journal", "a"}, "n\n"),
              (Result{1, plan, "Rename 1 file? [y/N] "}));
    EXPECT_EQ(namesIn(folder.path()), (Names{"a"}));
    EXPECT_EQ(run({"edit", "--no-journal", "a"}, "y\n").status, 0);
    EXPECT_EQ(namesIn(folder.path()), (Names{"z"}));

    editor("printf '1\\ty\\n' > \"$1\"; exit 1");
    EXPECT_EQ(run({"edit", "--yes", "--no-journal", "z"}),
              (Result{1, "", "tavix-cli: the editor exited with status 1; nothing was renamed\n"}));
    EXPECT_EQ(namesIn(folder.path()), (Names{"z"}));
}

}  // namespace
}  // namespace tavix
