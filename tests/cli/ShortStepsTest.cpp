#include "cli/ShortSteps.hpp"

#include <gtest/gtest.h>

#include "cli/Help.hpp"
#include "rules/RuleCoding.hpp"

namespace tavix {
namespace {

using cli::ShortSteps::decode;
using cli::ShortSteps::keyedForm;

// Each short form and the keyed form it stands for, or the decoding error.
TEST(ShortForm, StandsForTheKeyedFormOfTheBlankWithTheKeysGiven) {
    const std::pair<std::string, std::string> cases[] = {
        {R"(findReplace find=IMG_ replace="Lisbon " regex=false occurrences=first)",
         R"({"findReplace":{"find":"IMG_","replace":"Lisbon ","regex":false,"caseSensitive":false,"occurrences":"First only"}})"},
        {"  addText   position=suffix  text='it''s' ",
         R"({"addText":{"text":"its","position":"After name"}})"},
        {R"(addText text="say \"hi\" \\ \n" position="Before name")",
         R"({"addText":{"text":"say \"hi\" \\ \\n","position":"Before name"}})"},
        {R"(addText text=a\ b\'c text2)", R"(addText: "text2" needs a key, as in key=value.)"},
        {"insertAt text=a=b offset=-2", R"({"insertAt":{"text":"a=b","offset":-2}})"},
        {"truncate limit=+5 from=prefix", R"({"truncate":{"limit":5,"from":"Before name"}})"},
        {"removeCharacters kind=\"These characters\u2026\" custom=#",
         R"({"removeCharacters":{"kind":"These characters…","custom":"#"}})"},
        // Errors name the key and what was wrong with it.
        {"", "Empty step; give a kind, as in: sequence padding=3."},
        {"Sequence", R"("Sequence" is not a kind of step; tavix-cli help steps lists them.)"},
        {"sequence paddng=3",
         R"(sequence: "paddng" is not one of its keys (start, step, padding, position, separator).)"},
        {"collapseSpaces all=true",
         R"(collapseSpaces: "all" is not one of its keys; it has none.)"},
        {"sequence padding=3 padding=4", "sequence.padding: given twice."},
        {"sequence start=+-5", R"(sequence.start: "+-5" is not a whole number.)"},
        {R"(addText text=abc\\)", R"({"addText":{"text":"abc\\","position":"Before name"}})"},
        {R"(addText position=suffix text=abc\)",
         R"(addText.text: a lone backslash ends the value; write \\ for a backslash.)"},
        {R"(changeCase lower \)",
         R"(changeCase: a lone backslash ends the value; write \\ for a backslash.)"},
        {"crop count=9223372036854775808",
         R"(crop.count: "9223372036854775808" is out of range for a 64-bit integer.)"},
        {"sequence position=middle",
         R"(sequence.position: "middle" is not one of prefix ("Before name"), suffix ("After name").)"},
        {R"(addText text="open)", R"(Unfinished " quote.)"}};
    for (const auto& [shortForm, keyed] : cases) {
        std::string got;
        try {
            got = encodeRule(decode(shortForm)).dump();
        } catch (const RuleDecodingError& error) {
            got = error.what();
        }
        EXPECT_EQ(got, keyed) << shortForm;
    }
}

TEST(ShortForm, EveryKindHasAnExampleInTheHelpThatDecodesToIt) {
    const std::string help = cli::stepsHelp();
    for (const cli::ShortSteps::Kind& kind : cli::ShortSteps::kinds()) {
        const std::string example(kind.example);
        EXPECT_EQ(encodeRule(decode(example)).begin().key(), kind.name) << example;
        EXPECT_NE(help.find("--step '" + example + "'"), std::string::npos) << example;
    }
}

}  // namespace
}  // namespace tavix
