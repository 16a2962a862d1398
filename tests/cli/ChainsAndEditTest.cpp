#include <gtest/gtest.h>
#include <stdlib.h>

#include <map>

#include "support/CliRun.hpp"
#include "support/Files.hpp"
#include "support/TemporaryFolder.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;
using test::contentsOf;
using test::namesIn;
using Names = std::vector<std::string>;
using Result = test::CliResult;

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
    // The path of the file that the error output says keeps the edits.
    static fs::path keptFile(const std::string& err) {
        const std::string marker = "kept in ";
        const auto at = err.find(marker);
        if (at == std::string::npos) return {};
        return err.substr(at + marker.size(), err.find('\n', at) - at - marker.size());
    }

    test::TemporaryFolder tools;
};

// Lines reordered, one deleted, one a name with a tab and a newline.
TEST_F(ChainsAndEdit, EditRenamesWhatWasChangedAndLeavesDeletedLinesAlone) {
    folder.write("sub/c.txt", "c");
    write({"a.txt", "b.txt", "tab\there.txt"});
    editor(
        "printf '3\\tone\\\\ttwo\\\\nthree.txt\\n2\\tB.txt\\n# a comment\\n\\n4\\tc.txt\\n' > "
        "\"$1\"");
    EXPECT_EQ(
        run({"edit", "--yes", "--no-journal", "a.txt", "b.txt", "tab\there.txt", "sub/c.txt"}),
        (Result{0,
                "a.txt  \u2192  a.txt\nb.txt  \u2192  B.txt\n"
                "tab\\there.txt  \u2192  one\\ttwo\\nthree.txt\nc.txt  \u2192  c.txt\n"
                "4 files \u00B7 2 will change\nRenamed 2 files.\n",
                ""}));
    EXPECT_EQ(contentsOf(tools.path() / "seen"),
              "# " + folder.path().string() + "\n1\ta.txt\n2\tb.txt\n3\ttab\\there.txt\n\n# " +
                  at("sub") + "\n4\tc.txt\n");
    EXPECT_EQ(test::filesIn(folder.path()), (std::map<std::string, std::string>{
                                                {"B.txt", "b.txt"},
                                                {"a.txt", "a.txt"},
                                                {"one\ttwo\nthree.txt", "tab\there.txt"}}));
}

// Which lines can't be read is the edit text's test; here, that such text is
// kept as typed, and that nothing is renamed without a yes or when the editor fails.
TEST_F(ChainsAndEdit, EditRenamesNothingUnreadableUnconfirmedOrAfterAFailedEditor) {
    write({"a", "b"});
    editor("printf '1\\tx\\n1\\ty\\n' > \"$1\"; cp \"$1\" \"$1.typed\"");
    const auto unreadable = run({"edit", "--yes", "--no-journal", "a", "b"});
    EXPECT_EQ(unreadable.status, 2);
    EXPECT_TRUE(unreadable.err.starts_with(
        "tavix-cli: line 2: file 1 is given twice; nothing was renamed\n"))
        << unreadable.err;
    const fs::path kept = keptFile(unreadable.err);
    ASSERT_FALSE(kept.empty()) << unreadable.err;
    EXPECT_EQ(contentsOf(kept), contentsOf(kept.string() + ".typed"));
    fs::remove(kept);

    editor("printf '1\\tz\\n' > \"$1\"");
    const auto noTerminal = run({"edit", "--no-journal", "a"});
    EXPECT_EQ(noTerminal.status, 1);
    EXPECT_NE(noTerminal.err.find("--yes"), std::string::npos);
    fs::remove(keptFile(noTerminal.err));
    inIsTerminal = true;
    EXPECT_EQ(run({"edit", "--no-journal", "a"}, "n\n"),
              (Result{1, "a  \u2192  z\n1 file \u00B7 1 will change\n", "Rename 1 file? [y/N] "}));
    EXPECT_EQ(namesIn(folder.path()), (Names{"a", "b"}));
    EXPECT_EQ(run({"edit", "--no-journal", "a"}, "y\n").status, 0);
    editor("printf '1\\ty\\n' > \"$1\"; exit 1");
    EXPECT_EQ(run({"edit", "--yes", "--no-journal", "z"}),
              (Result{1, "", "tavix-cli: the editor exited with status 1; nothing was renamed\n"}));
    EXPECT_EQ(namesIn(folder.path()), (Names{"b", "z"}));
}

}  // namespace
}  // namespace tavix
