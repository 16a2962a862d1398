#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/Cli.hpp"
#include "support/CliRun.hpp"
#include "support/TemporaryFolder.hpp"
#include "support/TestImages.hpp"

namespace tavix {
namespace {

using testing::TemporaryFolder;

using Result = testing::CliResult;

Result run(const std::vector<std::string>& args, const std::filesystem::path& cwd,
           const std::string& input = "", bool terminal = false) {
    return testing::runCli(args, cwd, input, terminal);
}

const std::string sequenceStep =
    R"({"sequence":{"start":1,"step":1,"padding":2,"position":"After name","separator":"-"}})";

class Cli : public ::testing::Test {
protected:
    TemporaryFolder folder;
};

TEST_F(Cli, PlanPrintsEveryFileAndTheCount) {
    folder.write("IMG_1.jpg");
    folder.write("IMG_2.jpg");
    const Result r = run({"plan", "--step", sequenceStep, "IMG_1.jpg", "IMG_2.jpg"}, folder.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "IMG_1.jpg  \u2192  IMG_1-01.jpg\n"
              "IMG_2.jpg  \u2192  IMG_2-02.jpg\n"
              "2 files \u00B7 2 will change\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(Cli, PlanHighlightsTheChangeOnlyOnATerminal) {
    folder.write("a.txt");
    const Result r = run({"plan", "--step", sequenceStep, "a.txt"}, folder.path(), "", true);
    EXPECT_EQ(r.out, "a.txt  \u2192  a\x1b[1;43m-01\x1b[0m.txt\n1 file \u00B7 1 will change\n");
}

TEST_F(Cli, PlanShowsProblemsAndExitsOne) {
    folder.write("one/a.txt");
    folder.write("two/a.txt");
    const Result r = run({"plan", "one/a.txt", "two/a.txt"}, folder.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
              "a.txt  \u2192  Two files would share this name\n"
              "a.txt  \u2192  Two files would share this name\n"
              "2 files \u00B7 0 will change\n");
}

TEST_F(Cli, PlanOfNothingInvitesToAddFiles) {
    const Result r = run({"plan"}, folder.path());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Add files to preview the renames above.\n");
}

TEST_F(Cli, SkipsWhatTheWindowWouldSkipAndSaysWhy) {
    folder.write("a.txt");
    folder.folder("sub");
    const Result r = run({"plan", "a.txt", "a.txt", "sub", "missing.txt"}, folder.path());
    EXPECT_EQ(r.status, 0);
    const auto base = folder.path().string();
    EXPECT_EQ(r.err, "tavix-cli: skipped " + base + "/a.txt: already listed\n" +
                         "tavix-cli: skipped " + base + "/sub: is a folder\n" +
                         "tavix-cli: skipped " + base + "/missing.txt: does not exist\n");
    EXPECT_EQ(r.out, "a.txt  \u2192  a.txt\n1 file \u00B7 0 will change\n");
}

TEST_F(Cli, PlanJsonHasEveryField) {
    folder.write("IMG_1.jpg");
    folder.write("x.jpg");
    const Result r = run(
        {"plan", "--json", "--step",
         R"({"findReplace":{"find":"x","replace":"IMG_1-01","regex":false,"caseSensitive":false,"occurrences":"All occurrences"}})",
         "--step", sequenceStep, "IMG_1.jpg", "x.jpg"},
        folder.path());
    const auto json = nlohmann::json::parse(r.out);
    const auto base = folder.path().string();
    EXPECT_EQ(json["items"][0]["path"], base + "/IMG_1.jpg");
    EXPECT_EQ(json["items"][0]["originalName"], "IMG_1.jpg");
    EXPECT_EQ(json["items"][0]["newName"], "IMG_1-01.jpg");
    EXPECT_EQ(json["items"][0]["changed"], true);
    EXPECT_EQ(json["items"][0]["problem"], nullptr);
    EXPECT_EQ(json["items"][0]["problemMessage"], nullptr);
    EXPECT_EQ(json["items"][0]["changedRange"], nlohmann::json::array({5, 8}));
    EXPECT_EQ(json["items"][1]["newName"], "IMG_1-01-02.jpg");
    EXPECT_EQ(json["changedCount"], 2);
    EXPECT_EQ(json["hasProblems"], false);
    EXPECT_EQ(r.status, 0);
}

TEST_F(Cli, ReadsStepsFromAFileThenTheStepOptions) {
    folder.write(
        "steps.json",
        R"([{"changeCase":{"_0":"UPPERCASE"}},{"addText":{"text":"x_","position":"Before name"}}])");
    folder.write("list.txt", "b.txt\na.txt\n");
    folder.write("a.txt");
    folder.write("b.txt");
    const Result r = run({"plan", "--rules", "steps.json", "--step", sequenceStep, "--files-from",
                          "list.txt", "--sort", "name"},
                         folder.path());
    EXPECT_EQ(r.out,
              "a.txt  \u2192  x_A-01.txt\n"
              "b.txt  \u2192  x_B-02.txt\n"
              "2 files \u00B7 2 will change\n");
}

TEST_F(Cli, ReadsNulSeparatedListsFromStandardInput) {
    folder.write("with\nnewline.txt");
    folder.write("plain.txt");
    const std::string list = "plain.txt" + std::string(1, '\0') + "with\nnewline.txt";
    const Result r = run({"plan", "--files-from", "-", "-0", "--no-keep-extension", "--step",
                          R"({"changeCase":{"_0":"UPPERCASE"}})"},
                         folder.path(), list);
    // Control characters show escaped, so every file stays on its one line.
    EXPECT_EQ(r.out,
              "plain.txt  \u2192  PLAIN.TXT\n"
              "with\\nnewline.txt  \u2192  WITH\\nNEWLINE.TXT\n"
              "2 files \u00B7 2 will change\n");
}

TEST_F(Cli, TextOutputEscapesControlCharacters) {
    const std::string evil = "e\x1b[2Jv\til\u009b.txt";
    folder.write(evil);
    const Result r =
        run({"plan", "--step", R"({"changeCase":{"_0":"UPPERCASE"}})", evil, "gone\r\x07.txt"},
            folder.path(), "", true);
    EXPECT_EQ(r.out,
              "e\\x1b[2Jv\\til\\u009b.txt  \u2192  \x1b[1;43mE\\x1b[2JV\\tIL\x1b[0m\\u009b.txt\n"
              "1 file \u00B7 1 will change\n");
    EXPECT_EQ(r.err, "tavix-cli: skipped " + folder.path().string() +
                         "/gone\\r\\x07.txt: does not exist\n");
    const Result json = run({"plan", "--json", evil}, folder.path());
    EXPECT_EQ(nlohmann::json::parse(json.out)["items"][0]["originalName"], evil);
    EXPECT_NE(json.out.find("\\u001b"), std::string::npos);
}

TEST_F(Cli, PathsKeepTheirDotDotsForTheKernelToResolve) {
    folder.write("x.txt", "top");
    folder.write("deep/x.txt", "deep");
    folder.folder("deep/inner");
    std::filesystem::create_symlink(folder.path() / "deep/inner", folder.path() / "link");
    const Result r = run({"rename", "--no-journal", "--step",
                          R"({"changeCase":{"_0":"UPPERCASE"}})", "link/../x.txt"},
                         folder.path());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "deep/X.txt"));
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "x.txt"));
}

TEST_F(Cli, DescribeNumbersTheSteps) {
    const Result text = run(
        {"describe", "--step", sequenceStep, "--step", R"({"collapseSpaces":{}})"}, folder.path());
    EXPECT_EQ(text.status, 0);
    EXPECT_EQ(text.out,
              "1. Number from 1 with at least 2 digits, after the name.\n"
              "2. Collapse runs of spaces into one and trim the ends.\n");
    const Result fresh = run({"describe"}, folder.path());
    EXPECT_EQ(fresh.out, "1. Find & replace \u2014 nothing to find yet.\n");
    const Result json = run({"describe", "--json", "--step", sequenceStep}, folder.path());
    EXPECT_EQ(
        nlohmann::json::parse(json.out),
        nlohmann::json::parse(
            R"([{"number":1,"summary":"Number from 1 with at least 2 digits, after the name.","label":"Numbering","action":"Add sequence number","category":"Sequence Numbers","step":)" +
            sequenceStep + "}]"));
}

TEST_F(Cli, InfoShowsWhatTheInspectorShows) {
    const auto file = folder.write("Docs/Report.final.txt", "hello");
    const Result text = run({"info", "Docs/Report.final.txt"}, folder.path());
    EXPECT_EQ(text.status, 0) << text.err;
    const auto lines = [&] {
        std::vector<std::string> out;
        std::istringstream stream(text.out);
        for (std::string line; std::getline(stream, line);) out.push_back(line);
        return out;
    }();
    ASSERT_EQ(lines.size(), 11u) << text.out;
    EXPECT_EQ(lines[0], "Path: " + (folder.path() / "Docs").string());
    EXPECT_EQ(lines[1], "Kind: plain text document");
    EXPECT_EQ(lines[2], "Size: 5 bytes");
    EXPECT_EQ(lines[3].rfind("Created: ", 0), 0u);
    EXPECT_EQ(lines[4].rfind("Modified: ", 0), 0u);
    EXPECT_EQ(lines[5], "Dimensions: Not an image");
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 6, lines.end()),
              (std::vector<std::string>{"<FileName>: Report.final", "<FILENAME>: REPORT.FINAL",
                                        "<filename>: report.final", "<FileExtension>: txt",
                                        "<ParentFolder>: Docs"}));
}

TEST_F(Cli, InfoJsonOfAnImageAndOfAVanishedFile) {
    const auto png = folder.path() / "pic";
    std::string why;
    ASSERT_TRUE(testing::writeImage(folder.path() / "pic.png", {.width = 4, .height = 3}, why));
    std::filesystem::rename(folder.path() / "pic.png", png);
    const auto image = nlohmann::json::parse(run({"info", "--json", "pic"}, folder.path()).out);
    EXPECT_EQ(image["dimensions"], "4 × 3");
    EXPECT_EQ(image["colorSpace"], "RGB");
    EXPECT_EQ(image["tokens"]["<FileExtension>"], "—");

    const Result gone = run({"info", "--json", "gone.txt"}, folder.path());
    EXPECT_EQ(gone.status, 0);
    const auto json = nlohmann::json::parse(gone.out);
    EXPECT_EQ(json["path"], folder.path().string());
    EXPECT_EQ(json["kind"], "TXT");
    for (const char* key : {"size", "created", "modified"}) EXPECT_EQ(json[key], "—") << key;
    EXPECT_EQ(json["dimensions"], nullptr);
    EXPECT_EQ(json["colorSpace"], nullptr);
    EXPECT_EQ(json["tokens"]["<FileName>"], "gone");
}

struct ErrorCase {
    std::vector<std::string> args;
    std::string err;
};

class CliErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(CliErrors, StopWithOneLineAndStatusTwo) {
    TemporaryFolder folder;
    folder.write("bad.json", "{\"sequence\":");
    folder.write("object.json", "{}");
    folder.write(
        "low.json",
        R"([{"collapseSpaces":{}},{"crop":{"mode":"Keep first","count":-9223372036854775809}}])");
    const Result r = run(GetParam().args, folder.path());
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err, GetParam().err);
    EXPECT_EQ(r.out, "");
}

INSTANTIATE_TEST_SUITE_P(
    Cli, CliErrors,
    ::testing::Values(
        ErrorCase{{"plan", "--step", "{}"},
                  "tavix-cli: step 1: Invalid number of keys found, expected one.\n"},
        ErrorCase{{"plan", "--step", R"({"collapseSpaces":{}})", "--step", R"({"crop":{}})"},
                  "tavix-cli: step 2: Key \"mode\" not found in \"crop\".\n"},
        ErrorCase{{"describe", "--rules", "bad.json"}, "tavix-cli: bad.json: not valid JSON\n"},
        ErrorCase{{"describe", "--rules", "object.json"},
                  "tavix-cli: object.json: expected a JSON array of steps\n"},
        ErrorCase{{"describe", "--rules", "none.json"},
                  "tavix-cli: none.json: No such file or directory\n"},
        ErrorCase{{"plan", "--files-from", "none.txt"},
                  "tavix-cli: none.txt: No such file or directory\n"},
        ErrorCase{{"plan", "--step", R"({"crop":{"mode":"Keep first","count":1e400}})"},
                  "tavix-cli: step 1: crop.count: 1e400 is out of range for a 64-bit integer.\n"},
        ErrorCase{{"describe", "--rules", "low.json"},
                  "tavix-cli: step 2: crop.count: -9223372036854775809 is out of range for a "
                  "64-bit integer.\n"},
        ErrorCase{{"undo"}, "tavix-cli: undo takes exactly one JOURNAL, or --last\n"},
        ErrorCase{{"undo", "--last", "j.json"},
                  "tavix-cli: undo takes exactly one JOURNAL, or --last\n"},
        ErrorCase{{"rename", "--journal", "j.json", "--no-journal"},
                  "tavix-cli: --journal and --no-journal can't be given together\n"},
        ErrorCase{{"plan", "--sort", "shoe"},
                  "tavix-cli: --sort takes name, date, size, created or taken, not shoe\n"},
        ErrorCase{{"plan", "--reverse"}, "tavix-cli: --reverse needs --sort\n"},
        ErrorCase{{"plan", "--date-source", "now"},
                  "tavix-cli: --date-source takes modified or taken, not now\n"},
        ErrorCase{{"plan", "--step", "changeCase lower", "--step", "sequence padding=x"},
                  "tavix-cli: step 2: sequence.padding: \"x\" is not a whole number.\n"},
        ErrorCase{{"plan", "--bogus"}, "tavix-cli: unknown option --bogus\n"},
        ErrorCase{{"plan", "--step"}, "tavix-cli: --step needs a value\n"},
        ErrorCase{{"describe", "a.txt"}, "tavix-cli: describe takes no file operands\n"},
        ErrorCase{{"info"}, "tavix-cli: info takes exactly one FILE\n"},
        ErrorCase{{"describe", "--sort", "name"}, "tavix-cli: describe does not take --sort\n"},
        ErrorCase{{"frobnicate"}, "tavix-cli: unknown command frobnicate; see tavix-cli --help\n"},
        ErrorCase{{}, "tavix-cli: no command given; see tavix-cli --help\n"}));

}  // namespace
}  // namespace tavix
