#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <regex>

#include "support/CliRun.hpp"

namespace tavix {
namespace {

using Result = test::CliResult;
using nlohmann::json;

const std::string sequenceStep =
    R"({"sequence":{"start":1,"step":1,"padding":2,"position":"After name","separator":"-"}})";
const std::string upper = R"({"changeCase":{"_0":"UPPERCASE"}})";
// Control characters that would move the cursor or clear a terminal.
const std::string evil = "e\x1b[2Jv\til\u009b.txt";

// Every command here runs in one folder holding these files.
class Cli : public test::CliFolder {
protected:
    Cli() {
        for (const std::string& name :
             std::vector<std::string>{"IMG_1.jpg", "IMG_2.jpg", "a.txt", "with\nnewline.txt",
                                      "plain.txt", "one/a.txt", "two/a.txt", "b!1", evil})
            folder.write(name);
        folder.folder("sub");
        folder.write("steps.json", R"([{"changeCase":{"_0":"UPPERCASE"}}])");
        folder.write("bad.json", "{\"sequence\":");
        folder.write("Docs/Report.final.txt", "hello");
    }
};

// Each command line and all it prints: a file per line and the count, control
// characters escaped so every file stays on its line, the change highlighted
// only on a terminal; what is skipped and why; a name a pattern can't finish
// on blocks the batch; errors stop with one line and status 2.
TEST_F(Cli, CommandsPrintExactlyThis) {
    const auto skipped = [&](const std::string& path, const std::string& why) {
        return "tavix-cli: skipped " + folder.path().string() + "/" + path + ": " + why + "\n";
    };
    const std::string swap = "a.txt\tplain.txt\nplain.txt\ta.txt\nIMG_1.jpg\tIMG_9.jpg\n";
    // The start of a changed item of a plan in JSON.
    const auto item = [&](const std::string& name, const std::string& newName) {
        return R"({"path":")" + at(name) + R"(","originalName":")" + name + R"(","newName":")" +
               newName + R"(","changed":true,)";
    };
    const std::string noProblem = R"("problem":null,"problemMessage":null,"changedRange":)";
    const auto error = [](const std::string& message) {
        return Result{2, "", "tavix-cli: " + message + "\n"};
    };
    const struct {
        std::vector<std::string> args;
        std::string input;
        bool terminal;
        Result expected;
    } cases[] = {
        {{"plan"}, "", false, {0, "Add files to preview the renames above.\n", ""}},
        // Steps from a file come before the step options.
        {{"plan", "--files-from", "-", "-0", "--no-keep-extension", "--rules", "steps.json",
          "--step", sequenceStep, "--sort", "name"},
         "with\nnewline.txt" + std::string(1, '\0') + "plain.txt", false,
         {0, "plain.txt  \u2192  PLAIN.TXT-01\nwith\\nnewline.txt  \u2192  WITH\\nNEWLINE.TXT-02\n"
             "2 files \u00B7 2 will change\n", ""}},
        {{"plan", "--step", upper, evil, "gone\r\x07.txt"}, "", true,
         {0, "e\\x1b[2Jv\\til\\u009b.txt  \u2192  \x1b[1;43mE\\x1b[2JV\\tIL\x1b[0m\\u009b.txt\n"
             "1 file \u00B7 1 will change\n",
          skipped("gone\\r\\x07.txt", "does not exist")}},
        // Per folder: batch after batch, folders as they first come, each
        // numbered on its own.
        {{"plan", "--per-folder", "--step", "sequence", "one/a.txt", "a.txt", "two/a.txt",
          "plain.txt"},
         "", false,
         {0, "a.txt  \u2192  a-01.txt\na.txt  \u2192  a-01.txt\nplain.txt  \u2192  plain-02.txt\n"
             "a.txt  \u2192  a-01.txt\n4 files \u00B7 4 will change\n", ""}},
        // A swap (blocked without chains) marked.
        {{"plan", "--chains", "--map", "-"}, swap, false,
         {0, "a.txt  \u2192  plain.txt  (swap)\nplain.txt  \u2192  a.txt  (swap)\n"
             "IMG_1.jpg  \u2192  IMG_9.jpg\n3 files \u00B7 3 will change\n", ""}},
        // The same in JSON; with chains, the order of the moves and the file
        // that steps aside, none for a file whose name is held.
        {{"plan", "--chains", "--json", "--map", "-"}, swap + "IMG_2.jpg\tb!1\n", false,
         {1, R"({"items":[)" + item("a.txt", "plain.txt") + noProblem +
                 R"([0,5],"order":2,"viaTemporary":false},)" + item("plain.txt", "a.txt") +
                 noProblem + R"([0,1],"order":3,"viaTemporary":true},)" +
                 item("IMG_1.jpg", "IMG_9.jpg") + noProblem +
                 R"([4,5],"order":1,"viaTemporary":false},)" + item("IMG_2.jpg", "b!1") +
                 R"("problem":"exists","problemMessage":"A file with this name already exists",)"
                 R"("changedRange":[0,3],"order":null,"viaTemporary":false}],"changedCount":3,)"
                 R"("hasProblems":true})" "\n",
          ""}},
        // Paths skipped don't shift the names of the others; a path given twice
        // keeps its first name.
        {{"plan", "--map", "-"}, "gone\tg\nplain.txt\td/e\nIMG_1.jpg\tx.jpg\nplain.txt\tf\n", false,
         {1, "plain.txt  \u2192  Names can't contain \u201C/\u201D or \u201C:\u201D\n"
             "IMG_1.jpg  \u2192  x.jpg\n2 files \u00B7 1 will change\n",
          skipped("gone", "does not exist") + skipped("plain.txt", "already listed")}},
        // Pairs ended by NUL bytes: a new name may hold a tab.
        {{"plan", "-0", "--map", "-"},
         std::string("a.txt\0x\ty.txt\0", 14) + at("plain.txt") + std::string("\0P.TXT\0", 7),
         false,
         {0, "a.txt  \u2192  x\\ty.txt\nplain.txt  \u2192  P.TXT\n2 files \u00B7 2 will change\n",
          ""}},
        // Names given, per folder: the same name in two folders is no clash.
        {{"plan", "--per-folder", "--map", "-"},
         "one/a.txt\tx\nplain.txt\tz\ntwo/a.txt\tz\na.txt\ty\n", false,
         {0, "a.txt  \u2192  x\nplain.txt  \u2192  z\na.txt  \u2192  y\na.txt  \u2192  z\n"
             "4 files \u00B7 4 will change\n", ""}},
        {{"plan", "--map", "-"}, "a.txt\tb\nno tab\n", false,
         error("--map line 2 has no tab between the path and the new name")},
        // A problem blocks the batch: not even the names without one change.
        {{"rename", "--no-journal", "--map", "-"}, "a.txt\tb!1\nIMG_1.jpg\tx.jpg\n", false,
         {1, "a.txt  \u2192  A file with this name already exists\nIMG_1.jpg  \u2192  x.jpg\n"
             "2 files \u00B7 1 will change\n", ""}},
        {{"describe", "--step", sequenceStep, "--step", R"({"collapseSpaces":{}})"}, "", false,
         {0, "1. Number from 1 with at least 2 digits, after the name.\n"
             "2. Collapse runs of spaces into one and trim the ends.\n", ""}},
        {{"describe"}, "", false, {0, "1. Find & replace \u2014 nothing to find yet.\n", ""}},
        {{"plan", "--step", R"({"collapseSpaces":{}})", "--step", R"({"crop":{}})"}, "", false,
         error("step 2: Key \"mode\" not found in \"crop\".")},
        {{"describe", "--rules", "bad.json"}, "", false, error("bad.json: not valid JSON")},
        {{"describe", "--rules", "."}, "", false, error(".: Is a directory")},
        {{"plan", "--files-from", "missing.txt"}, "", false,
         error("missing.txt: No such file or directory")},
        {{"plan", "--files-from", "/dev/zero"}, "", false,
         error("/dev/zero: longer than 256 MiB, more than a list or steps can hold")},
        {{"undo"}, "", false, error("undo takes exactly one JOURNAL, or --last")},
        {{"history", "list"}, "", false, error("history takes no operands but prune")},
        {{"history", "--keep", "3"}, "", false, error("--keep needs history prune")},
        {{"history", "prune", "--keep", "-1"}, "", false,
         error("--keep takes a number of journals, not -1")},
        {{"rename", "--journal", "j.json", "--no-journal"}, "", false,
         error("--journal and --no-journal can't be given together")},
        {{"plan", "--sort", "shoe"}, "", false,
         error("--sort takes name, date, size, created or taken, not shoe")},
        {{"plan", "--reverse"}, "", false, error("--reverse needs --sort")},
        {{"plan", "--step"}, "", false, error("--step needs a value")},
        {{"plan", "--json=yes"}, "", false, error("--json takes no value")},
        {{"describe", "--sort=name"}, "", false, error("describe does not take --sort")},
        {{"plan", "--frob"}, "", false, error("unknown option --frob")},
        {{"plan", "--map", "-", "--step", "collapseSpaces"}, "", false,
         error("--map takes the place of steps, presets and files")},
        {{"edit", "--map", "-"}, "", false, error("edit does not take --map")},
        {{"frobnicate"}, "", false, error("unknown command frobnicate; see tavix-cli --help")},
        {{}, "", false, error("no command given; see tavix-cli --help")}};
    for (const auto& c : cases) {
        outIsTerminal = c.terminal;
        EXPECT_EQ(run(c.args, c.input), c.expected) << ::testing::PrintToString(c.args);
    }
}

// What the window's inspector shows of a file, its dates (which vary) left out.
TEST_F(Cli, InfoShowsWhatTheInspectorShows) {
    const std::regex dates("(Created|Modified): .*\n");
    EXPECT_EQ(std::regex_replace(run({"info", "Docs/Report.final.txt"}).out, dates, ""),
              "Path: " + at("Docs") + "\nKind: plain text document\nSize: 5 bytes\n"
              "Dimensions: Not an image\n<FileName>: Report.final\n<FILENAME>: REPORT.FINAL\n"
              "<filename>: report.final\n<FileExtension>: txt\n<ParentFolder>: Docs\n");
    const json info = json::parse(run({"info", "--json", "Docs/Report.final.txt"}).out);
    EXPECT_EQ(info["tokens"]["<FileExtension>"], "txt");
}

}  // namespace
}  // namespace tavix
