#include <gtest/gtest.h>

#include <cstdlib>

#include "support/CliRun.hpp"

namespace tavix {
namespace {

using Result = test::CliResult;

// Presets kept in a fresh config folder for each test.
class Presets : public test::CliFolder {
protected:
    Presets() { setenv("XDG_CONFIG_HOME", config.path().c_str(), 1); }
    ~Presets() override { unsetenv("XDG_CONFIG_HOME"); }

    test::TemporaryFolder config;
};

// Commands in turn and all each prints. Which names are valid and how a preset
// is kept are the store's tests; here, steps given in the short form, how
// presets mix with other steps, and that nothing a preset holds reaches the
// terminal raw (one made by hand has an escape sequence in its name and a
// step adding a line break).
TEST_F(Presets, CommandsInTurnPrintExactlyThis) {
    const std::string escape = "red\x1b[31m";
    config.write("tavix/presets/" + escape + ".json",
                 R"([{"addText":{"text":"\n","position":"After name"}}])");
    config.write("tavix/presets/broken.json",
                 R"([{"collapseSpaces":{}},{"crop":{"mode":"Keep first"}}])");
    folder.write("IMG_A.JPG");
    folder.write("suffix.json", R"([{"addText":{"text":"_x","position":"After name"}}])");
    const std::string broken =
        "tavix-cli: preset \u201Cbroken\u201D: step 2: Key \"count\" not found in \"crop\".\n";
    const std::string escaped = "red\\x1b[31m\n  1. Add \u201C\\n\u201D after the name.\n";
    const struct {
        std::vector<std::string> args;
        Result expected;
    } steps[] = {
        {{"presets", "save", "photos", "--step", "changeCase lower", "--step",
          "sequence padding=3"},
         {0, "Saved preset \u201Cphotos\u201D: 2 steps.\n", ""}},
        {{"presets", "save", "photos", "--step", "changeCase upper"},
         {2, "",
          "tavix-cli: preset \u201Cphotos\u201D exists already; add --force to replace it\n"}},
        // Presets and --rules first, in the order given, then each --step.
        {{"plan", "--step", "addText text=Lisbon_", "--preset", "photos", "--rules", "suffix.json",
          "IMG_A.JPG"},
         {0, "IMG_A.JPG  \u2192  Lisbon_img_a-001_x.JPG\n1 file \u00B7 1 will change\n", ""}},
        {{"plan", "--preset", "broken"}, {2, "", broken}},
        // The presets that can be read are listed all the same.
        {{"presets"},
         {2,
          "photos\n  1. Convert the name to lowercase.\n"
          "  2. Number from 1 with at least 3 digits, after the name.\n" + escaped,
          broken}},
        {{"presets", "save", "photos", "--force", "--step", "changeCase upper"},
         {0, "Saved preset \u201Cphotos\u201D: 1 step.\n", ""}},
        {{"presets", "show", "photos"}, {0, "1. Convert the name to UPPERCASE.\n", ""}},
        {{"presets", "delete", escape}, {0, "Deleted preset \u201Cred\\x1b[31m\u201D.\n", ""}},
        {{"presets", "delete", "photos"}, {0, "Deleted preset \u201Cphotos\u201D.\n", ""}},
        {{"presets", "show", "photos"}, {2, "", "tavix-cli: no preset \u201Cphotos\u201D\n"}},
        {{"presets", "save", "a/b\n\x1b[31m", "--step", "collapseSpaces"},
         {2, "",
          "tavix-cli: \u201Ca/b\\n\\x1b[31m\u201D can't name a preset: use 1 to 100 characters, "
          "no \u201C/\u201D or control characters, not starting with \u201C.\u201D\n"}},
    };
    for (const auto& step : steps) {
        EXPECT_EQ(run(step.args), step.expected) << ::testing::PrintToString(step.args);
    }
}

}  // namespace
}  // namespace tavix
