#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/CliRun.hpp"

namespace tavix {
namespace {

using Result = test::CliResult;
using Cli = test::CliFolder;

const std::string sequenceStep =
    R"({"sequence":{"start":1,"step":1,"padding":2,"position":"After name","separator":"-"}})";

TEST_F(Cli, PlanPrintsEveryFileAndTheCountAndHighlightsOnlyOnATerminal) {
    folder.write("IMG_1.jpg");
    folder.write("IMG_2.jpg");
    const Result r = run({"plan", "--step", sequenceStep, "IMG_1.jpg", "IMG_2.jpg"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "IMG_1.jpg  \u2192  IMG_1-01.jpg\n"
              "IMG_2.jpg  \u2192  IMG_2-02.jpg\n"
              "2 files \u00B7 2 will change\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(run({"plan"}).out, "Add files to preview the renames above.\n");
    outIsTerminal = true;
    EXPECT_EQ(run({"plan", "--step", sequenceStep, "IMG_1.jpg"}).out,
              "IMG_1.jpg  \u2192  IMG_1\x1b[1;43m-01\x1b[0m.jpg\n1 file \u00B7 1 will change\n");
}

TEST_F(Cli, SkipsWhatTheWindowWouldSkipAndSaysWhy) {
    folder.write("a.txt");
    folder.folder("sub");
    const Result r = run({"plan", "a.txt", "a.txt", "sub", "missing.txt"});
    EXPECT_EQ(r.status, 0);
    const auto base = folder.path().string();
    EXPECT_EQ(r.err, "tavix-cli: skipped " + base + "/a.txt: already listed\n" +
                         "tavix-cli: skipped " + base + "/sub: is a folder\n" +
                         "tavix-cli: skipped " + base + "/missing.txt: does not exist\n");
    EXPECT_EQ(r.out, "a.txt  \u2192  a.txt\n1 file \u00B7 0 will change\n");
}

TEST_F(Cli, PlanJsonHasEveryField) {
    folder.write("one/a.txt");
    folder.write("two/a.txt");
    folder.write("IMG_1.jpg");
    const auto json = nlohmann::json::parse(
        run({"plan", "--json", "--step", sequenceStep, "IMG_1.jpg"}).out);
    EXPECT_EQ(json, nlohmann::json::parse(R"({"items":[{"path":")" + folder.path().string() +
                                          R"(/IMG_1.jpg","originalName":"IMG_1.jpg",
        "newName":"IMG_1-01.jpg","changed":true,"problem":null,"problemMessage":null,
        "changedRange":[5,8]}],"changedCount":1,"hasProblems":false})"));
    const auto clash = run({"plan", "--json", "one/a.txt", "two/a.txt"}).out;
    EXPECT_EQ(nlohmann::json::parse(clash)["items"][1]["problemMessage"],
              "Two files would share this name");
}

// A name a pattern can't finish on blocks the batch in every form; rename moves
// nothing, not even the names the pattern did finish on.
TEST_F(Cli, APatternThatTakesTooLongBlocksTheBatch) {
    const std::string slow = std::string(29, 'a') + "!1";
    folder.write(slow);
    folder.write("b!1");
    const std::string step = "findReplace find='(a+)+$|!' replace=Z regex=true";
    const Result text = run({"plan", "--step", step, slow, "b!1"});
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.out, slow + "  \u2192  The pattern takes too long on this name\n" +
                            "b!1  \u2192  bZ1\n2 files \u00B7 1 will change\n");
    const auto json =
        nlohmann::json::parse(run({"plan", "--json", "--step", step, slow}).out);
    EXPECT_EQ(json["items"][0]["problem"], "tooSlow");
    EXPECT_EQ(json["items"][0]["problemMessage"], "The pattern takes too long on this name");
    EXPECT_EQ(json["hasProblems"], true);
    EXPECT_EQ(run({"rename", "--no-journal", "--step", step, slow, "b!1"}).status,
              1);
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "b!1"));
}

// Steps from a file come before the step options; control characters show
// escaped, so every file stays on its one line.
TEST_F(Cli, ReadsStepsFromAFileAndNulSeparatedListsFromStandardInput) {
    folder.write("steps.json", R"([{"changeCase":{"_0":"UPPERCASE"}}])");
    folder.write("with\nnewline.txt");
    folder.write("plain.txt");
    const std::string list = "with\nnewline.txt" + std::string(1, '\0') + "plain.txt";
    const Result r = run({"plan", "--files-from", "-", "-0", "--no-keep-extension", "--rules",
                          "steps.json", "--step", sequenceStep, "--sort", "name"}, list);
    EXPECT_EQ(r.out,
              "plain.txt  \u2192  PLAIN.TXT-01\n"
              "with\\nnewline.txt  \u2192  WITH\\nNEWLINE.TXT-02\n"
              "2 files \u00B7 2 will change\n");
}

TEST_F(Cli, TextOutputEscapesControlCharacters) {
    const std::string evil = "e\x1b[2Jv\til\u009b.txt";
    folder.write(evil);
    outIsTerminal = true;
    const Result r =
        run({"plan", "--step", R"({"changeCase":{"_0":"UPPERCASE"}})", evil, "gone\r\x07.txt"});
    EXPECT_EQ(r.out,
              "e\\x1b[2Jv\\til\\u009b.txt  \u2192  \x1b[1;43mE\\x1b[2JV\\tIL\x1b[0m\\u009b.txt\n"
              "1 file \u00B7 1 will change\n");
    EXPECT_EQ(r.err, "tavix-cli: skipped " + folder.path().string() +
                         "/gone\\r\\x07.txt: does not exist\n");
    outIsTerminal = false;
    const Result json = run({"plan", "--json", evil});
    EXPECT_EQ(nlohmann::json::parse(json.out)["items"][0]["originalName"], evil);
    EXPECT_NE(json.out.find("\\u001b"), std::string::npos);
}

// Each folder's files numbered on their own, folder after folder; within a
// folder a clash is still a clash.
TEST_F(Cli, PerFolderBatchesRestartNumberingAndClashOnlyWithin) {
    for (const char* name : {"one/x.txt", "two/x.txt", "one/y.txt"}) folder.write(name);
    const Result renamed = run({"rename", "--per-folder", "--step", "sequence", "--json",
                                "--no-journal", "one/x.txt", "two/x.txt", "one/y.txt"});
    ASSERT_EQ(renamed.status, 0) << renamed.err;
    const auto moves = nlohmann::json::parse(renamed.out)["moves"];
    std::vector<std::string> to;
    for (const auto& move : moves) {
        to.push_back(std::filesystem::path(move["to"].get<std::string>())
                         .lexically_relative(folder.path()));
    }
    EXPECT_EQ(to, (std::vector<std::string>{"one/x-01.txt", "one/y-02.txt", "two/x-01.txt"}));
    EXPECT_EQ(run({"plan", "--per-folder", "--step", "findReplace find=y-02 replace=x-01",
                   "one/x-01.txt", "one/y-02.txt", "two/x-01.txt"})
                  .status,
              1);
}

TEST_F(Cli, DescribeNumbersTheSteps) {
    const Result text = run(
        {"describe", "--step", sequenceStep, "--step", R"({"collapseSpaces":{}})"});
    EXPECT_EQ(text.status, 0);
    EXPECT_EQ(text.out,
              "1. Number from 1 with at least 2 digits, after the name.\n"
              "2. Collapse runs of spaces into one and trim the ends.\n");
    EXPECT_EQ(run({"describe"}).out,
              "1. Find & replace \u2014 nothing to find yet.\n");
}

TEST_F(Cli, InfoShowsWhatTheInspectorShows) {
    folder.write("Docs/Report.final.txt", "hello");
    const Result text = run({"info", "Docs/Report.final.txt"});
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out.substr(0, text.out.find("Created: ")),
              "Path: " + (folder.path() / "Docs").string() +
                  "\nKind: plain text document\nSize: 5 bytes\n");
    EXPECT_NE(text.out.find("\nDimensions: Not an image\n<FileName>: Report.final\n"),
              std::string::npos);
    EXPECT_TRUE(text.out.ends_with("\n<ParentFolder>: Docs\n")) << text.out;
    const auto json = run({"info", "--json", "Docs/Report.final.txt"}).out;
    EXPECT_EQ(nlohmann::json::parse(json)["tokens"]["<FileExtension>"], "txt");
}

TEST_F(Cli, ErrorsStopWithOneLineAndStatusTwo) {
    folder.write("bad.json", "{\"sequence\":");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"plan", "--step", R"({"collapseSpaces":{}})", "--step", R"({"crop":{}})"},
         "tavix-cli: step 2: Key \"mode\" not found in \"crop\".\n"},
        {{"describe", "--rules", "bad.json"}, "tavix-cli: bad.json: not valid JSON\n"},
        {{"describe", "--rules", "."}, "tavix-cli: .: Is a directory\n"},
        {{"plan", "--files-from", "missing.txt"},
         "tavix-cli: missing.txt: No such file or directory\n"},
        {{"plan", "--files-from", "/dev/zero"},
         "tavix-cli: /dev/zero: longer than 256 MiB, more than a list or steps can hold\n"},
        {{"undo"}, "tavix-cli: undo takes exactly one JOURNAL, or --last\n"},
        {{"history", "list"}, "tavix-cli: history takes no operands but prune\n"},
        {{"history", "--keep", "3"}, "tavix-cli: --keep needs history prune\n"},
        {{"history", "prune", "--keep", "-1"},
         "tavix-cli: --keep takes a number of journals, not -1\n"},
        {{"rename", "--journal", "j.json", "--no-journal"},
         "tavix-cli: --journal and --no-journal can't be given together\n"},
        {{"plan", "--sort", "shoe"},
         "tavix-cli: --sort takes name, date, size, created or taken, not shoe\n"},
        {{"plan", "--reverse"}, "tavix-cli: --reverse needs --sort\n"},
        {{"plan", "--step"}, "tavix-cli: --step needs a value\n"},
        {{"plan", "--json=yes"}, "tavix-cli: --json takes no value\n"},
        {{"describe", "--sort=name"}, "tavix-cli: describe does not take --sort\n"},
        {{"plan", "--frob"}, "tavix-cli: unknown option --frob\n"},
        {{"plan", "--map", "-", "a"},
         "tavix-cli: --map takes the place of steps, presets and files\n"},
        {{"plan", "--map", "-", "--step", "collapseSpaces"},
         "tavix-cli: --map takes the place of steps, presets and files\n"},
        {{"edit", "--map", "-"}, "tavix-cli: edit does not take --map\n"},
        {{"frobnicate"}, "tavix-cli: unknown command frobnicate; see tavix-cli --help\n"},
        {{}, "tavix-cli: no command given; see tavix-cli --help\n"}};
    for (const auto& [args, err] : cases) {
        const Result r = run(args);
        EXPECT_EQ(r.status, 2) << err;
        EXPECT_EQ(r.err, err);
        EXPECT_EQ(r.out, "");
    }
}

}  // namespace
}  // namespace tavix
