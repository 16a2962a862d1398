#include <gtest/gtest.h>

#include <cstdint>

#include "rules/Catalogue.hpp"
#include "rules/RuleCoding.hpp"

namespace tavix {
namespace {

using Json = nlohmann::ordered_json;

TEST(KeyedForm, WritesOneKindKeyWithParametersInDeclaredOrder) {
    EXPECT_EQ(
        encodeRule(blank(RuleAction::sequence)).dump(),
        R"({"sequence":{"start":1,"step":1,"padding":2,"position":"After name","separator":"-"}})");
    EXPECT_EQ(encodeRule(RenameRule::collapseSpaces()).dump(), R"({"collapseSpaces":{}})");
    EXPECT_EQ(
        encodeRule(blank(RuleAction::findReplace)).dump(),
        R"({"findReplace":{"find":"","replace":"","regex":false,"caseSensitive":false,"occurrences":"All occurrences"}})");
}

TEST(KeyedForm, RoundTripsEveryKind) {
    const RenameRule rules[] = {
        RenameRule::findReplace("(\\d+)", "[$1] \u201C\u00E9\u201D", true, true, Occurrences::last),
        RenameRule::addText("\U0001F44D\U0001F3FD", Position::suffix),
        RenameRule::removeText("x\"y", true),
        RenameRule::changeCase(CaseStyle::sentence),
        RenameRule::sequence(INT64_MIN, INT64_MAX, -1, Position::prefix, ""),
        RenameRule::dateStamp("EEEE d MMMM", Position::suffix, " \u2014 "),
        RenameRule::removeCharacters(CharacterClass::custom, "\u00A0\t"),
        RenameRule::collapseSpaces(),
        RenameRule::crop(CropMode::keepLast, 0),
        RenameRule::insertAt("\n", -3),
        RenameRule::truncate(0, Position::prefix),
        RenameRule::romanNumeral(3999, Position::prefix, "/"),
        RenameRule::letterSequence(true, Position::prefix, ":"),
        RenameRule::imageDimensions(Position::prefix, " "),
        RenameRule::parentFolder(Position::suffix, "_"),
    };
    ASSERT_EQ(std::size(rules), std::variant_size_v<RuleKind>);
    for (std::size_t i = 0; i < std::size(rules); ++i) {
        const RenameRule& rule = rules[i];
        EXPECT_EQ(rule.kind.index(), i) << "the table covers each kind once, in declared order";
        const std::string text = encodeRule(rule).dump();
        EXPECT_EQ(decodeRule(std::string_view(text)), rule) << text;
        EXPECT_EQ(decodeRule(encodeRule(rule)), rule) << text;
    }
}

TEST(KeyedForm, DecodesWhatTheFormAllows) {
    EXPECT_EQ(decodeRule(std::string_view(R"({"crop":{"mode":"Keep first","count":2},"note":1})")),
              RenameRule::crop(CropMode::keepFirst, 2));
    EXPECT_EQ(decodeRule(std::string_view(
                  R"({"insertAt":{"offset":-9223372036854775808,"text":"x","z":0}})")),
              RenameRule::insertAt("x", INT64_MIN));
    EXPECT_EQ(decodeRule(std::string_view(R"({"truncate":{"limit":2.0,"from":"Before name"}})")),
              RenameRule::truncate(2, Position::prefix));
}

// Each fails with a clear message; bad JSON without the library's own tag.
TEST(KeyedForm, UndecodableStepsFailWithAClearMessage) {
    const std::pair<std::string, std::string> cases[] = {
        {"{}", "Invalid number of keys found, expected one."},
        {"[]", "Expected an object for a rename step, found array."},
        {R"({"collapseSpaces":true})", "collapseSpaces: expected an object, found boolean."},
        {R"({"changeCase":{"_0":"title case"}})",
         "changeCase._0: \"title case\" is not one of \"lowercase\", \"UPPERCASE\", "
         "\"Title Case\", \"Sentence case\"."},
        {R"({"findReplace":{"find":"a","replace":"b","regex":false,"caseSensitive":false}})",
         "Key \"occurrences\" not found in \"findReplace\"."},
        {R"({"crop":{"mode":"Keep first","count":1.5}})", "crop.count: 1.5 is not a whole number."},
        {R"({"crop":{"mode":"Keep first","count":9223372036854775808}})",
         "crop.count: 9223372036854775808 is out of range for a 64-bit integer."},
        {R"({"removeCharacters":{"kind":"These characters...","custom":""}})",
         "removeCharacters.kind: \"These characters...\" is not one of \"Digits (0-9)\", "
         "\"Punctuation\", \"Spaces\", \"Symbols\", \"These characters\u2026\"."},
        {"{\"crop\":", "Not valid JSON: "}};
    for (const auto& [json, message] : cases) {
        try {
            decodeRule(std::string_view(json));
            ADD_FAILURE() << "decoded " << json;
        } catch (const RuleDecodingError& error) {
            const std::string what = error.what();
            // The parser's own account follows "Not valid JSON: ".
            EXPECT_EQ(message.ends_with(": ") ? what.substr(0, message.size()) : what, message);
            EXPECT_EQ(what.find("[json.exception"), std::string::npos) << what;
        }
    }
}

}  // namespace
}  // namespace tavix
