#include <gtest/gtest.h>

#include <cstdint>

#include "rules/Catalogue.hpp"
#include "rules/RuleCoding.hpp"

namespace tavix {
namespace {

// Written: one kind key with the parameters in declared order. Read: what the
// form allows (other keys ignored, whole numbers written as floating point).
TEST(KeyedForm, WritesOneKindKeyAndReadsWhatTheFormAllows) {
    const std::pair<const char*, RenameRule> written[] = {
        {R"({"sequence":{"start":1,"step":1,"padding":2,"position":"After name","separator":"-"}})",
         blank(RuleAction::sequence)},
        {R"({"collapseSpaces":{}})", RenameRule{CollapseSpaces{}}},
        {R"({"findReplace":{"find":"","replace":"","regex":false,"caseSensitive":false,)"
         R"("occurrences":"All occurrences"}})",
         blank(RuleAction::findReplace)}};
    for (const auto& [text, rule] : written) EXPECT_EQ(encodeRule(rule).dump(), text);
    const std::pair<const char*, RenameRule> read[] = {
        {R"({"crop":{"mode":"Keep first","count":2},"note":1})", {Crop{CropMode::keepFirst, 2}}},
        {R"({"insertAt":{"offset":-9223372036854775808,"text":"x","z":0}})",
         {InsertAt{"x", INT64_MIN}}},
        {R"({"insertAt":{"offset":-9.223372036854775808e18,"text":"x"}})",
         {InsertAt{"x", INT64_MIN}}},
        {R"({"truncate":{"limit":2.0,"from":"Before name"}})", {Truncate{2, Position::prefix}}}};
    for (const auto& [text, rule] : read) EXPECT_EQ(decodeRule(std::string_view(text)), rule);
}

// Each fails with a clear message; bad JSON without the library's own tag.
TEST(KeyedForm, UndecodableStepsFailWithAClearMessage) {
    const std::pair<std::string, std::string> cases[] = {
        {"{}", "Invalid number of keys found, expected one."},
        {R"({"":{}})", "Invalid number of keys found, expected one."},
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
