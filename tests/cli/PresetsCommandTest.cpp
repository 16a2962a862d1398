#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>

#include "cli/Cli.hpp"
#include "support/CliRun.hpp"

namespace tavix {
namespace {

using test::TemporaryFolder;

using Result = test::CliResult;

// Presets kept in a fresh config folder for each test.
class Presets : public test::CliFolder {
protected:
    Presets() { setenv("XDG_CONFIG_HOME", config.path().c_str(), 1); }
    ~Presets() override { unsetenv("XDG_CONFIG_HOME"); }

    std::string stored(const std::string& name) {
        return test::contentsOf(config.path() / "tavix" / "presets" / (name + ".json"));
    }

    TemporaryFolder config;
};

TEST_F(Presets, RoundTripWithoutWritingJson) {
    EXPECT_EQ(run({"presets", "save", "photos", "--step", "changeCase lower", "--step",
                   "sequence padding=3"}),
              (Result{0, "Saved preset \u201Cphotos\u201D: 2 steps.\n", ""}));
    EXPECT_EQ(nlohmann::json::parse(stored("photos")),
              nlohmann::json::parse(R"([{"changeCase":{"_0":"lowercase"}},
                {"sequence":{"start":1,"step":1,"padding":3,"position":"After name","separator":"-"}}])"));

    EXPECT_EQ(run({"presets"}).out,
              "photos\n  1. Convert the name to lowercase.\n"
              "  2. Number from 1 with at least 3 digits, after the name.\n");

    // Presets and --rules first, in the order given, then each --step.
    folder.write("IMG_A.JPG");
    folder.write("suffix.json", R"([{"addText":{"text":"_x","position":"After name"}}])");
    EXPECT_EQ(run({"plan", "--step", "addText text=Lisbon_", "--preset", "photos", "--rules",
                   "suffix.json", "IMG_A.JPG"})
                  .out,
              "IMG_A.JPG  \u2192  Lisbon_img_a-001_x.JPG\n1 file \u00B7 1 will change\n");

    EXPECT_EQ(run({"presets", "delete", "photos"}).out, "Deleted preset \u201Cphotos\u201D.\n");
    EXPECT_EQ(run({"presets", "show", "photos"}).err, "tavix-cli: no preset \u201Cphotos\u201D\n");
}

TEST_F(Presets, NeverReplacedWithoutForce) {
    ASSERT_EQ(run({"presets", "save", "p", "--step", "changeCase lower"}).status, 0);
    const std::string first = stored("p");
    EXPECT_EQ(run({"presets", "save", "p", "--step", "changeCase upper"}).err,
              "tavix-cli: preset \u201Cp\u201D exists already; add --force to replace it\n");
    EXPECT_EQ(stored("p"), first);
    EXPECT_EQ(run({"presets", "save", "p", "--force", "--step", "changeCase upper"}).status, 0);
    EXPECT_NE(stored("p").find("UPPERCASE"), std::string::npos);
    // No temporary file is left behind either way.
    EXPECT_EQ(test::namesIn(config.path() / "tavix" / "presets"),
              std::vector<std::string>{"p.json"});
}

TEST_F(Presets, RefuseBadNamesAndNameTheStepThatDoesNotDecode) {
    const std::string badName =
        " can't name a preset: use 1 to 100 characters, no \u201C/\u201D or control characters, "
        "not starting with \u201C.\u201D\n";
    // Which names are refused is the store's test; here, how the refusal reads.
    EXPECT_EQ(run({"presets", "save", "a/b\n\x1b[31m", "--step", "collapseSpaces"}),
              (Result{2, "", "tavix-cli: \u201Ca/b\\n\\x1b[31m\u201D" + badName}));
    EXPECT_EQ(run({"presets", "save", std::string(100, 'x'), "--step", "collapseSpaces"}).status,
              0);

    config.write("tavix/presets/broken.json",
                 R"([{"collapseSpaces":{}},{"crop":{"mode":"Keep first"}}])");
    const std::string why =
        "preset \u201Cbroken\u201D: step 2: Key \"count\" not found in \"crop\".";
    EXPECT_EQ(run({"plan", "--preset", "broken"}).err, "tavix-cli: " + why + "\n");
    const Result list = run({"presets", "list"});
    EXPECT_EQ(list.status, 2);
    EXPECT_EQ(list.err, "tavix-cli: " + why + "\n");
    EXPECT_EQ(list.out.substr(0, 3), "xxx");  // the good ones are still listed
}

// Nothing a preset's name or steps hold reaches the terminal raw: a preset made
// by hand with an escape sequence in its name, and a step adding a line break.
TEST_F(Presets, ShowNamesAndStepsEscaped) {
    const std::string name = "red\x1b[31m";
    config.write("tavix/presets/" + name + ".json",
                 R"([{"addText":{"text":"\n","position":"After name"}}])");
    EXPECT_EQ(run({"presets", "list"}).out,
              "red\\x1b[31m\n  1. Add \u201C\\n\u201D after the name.\n");
    EXPECT_EQ(run({"presets", "show", name}).out, "1. Add \u201C\\n\u201D after the name.\n");
    EXPECT_EQ(run({"presets", "delete", name}).out, "Deleted preset \u201Cred\\x1b[31m\u201D.\n");
}

}  // namespace
}  // namespace tavix
