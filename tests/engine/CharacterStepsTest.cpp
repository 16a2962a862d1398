#include "ApplyCase.hpp"

namespace tavix {
namespace {

RenameRule removing(CharacterClass kind, std::string custom = "") {
    return RenameRule{RemoveCharacters{kind, std::move(custom)}};
}
const RenameRule collapse = RenameRule{CollapseSpaces{}};

INSTANTIATE_TEST_SUITE_P(
    RemoveCharacters, ApplySteps,
    ::testing::ValuesIn(std::vector<ApplyCase>{
        {"digits", removing(CharacterClass::digits), "IMG_0042", "IMG_"},
        {"Arabic-Indic digits", removing(CharacterClass::digits),
         "\u0635\u0648\u0631\u0629\u0661\u0662\u0663", "\u0635\u0648\u0631\u0629"},
        {"digits, not other numbers", removing(CharacterClass::digits), "\u00bd\u2162x",
         "\u00bd\u2162x"},
        {"punctuation", removing(CharacterClass::punctuation), "a-b_c(d)!\u00ab\u2014e\u00bb",
         "abcde"},
        {"whitespace", removing(CharacterClass::whitespace), "a b\tc\u00a0d\u3000e\u2028f\ng",
         "abcde\u2028f\ng"},
        {"symbols", removing(CharacterClass::symbols), "a+b=c$\u20ac\u00a9^\U0001F600d", "abcd"},
        {"symbols, skin tone modifier is one", removing(CharacterClass::symbols),
         "x\U0001F44D\U0001F3FD", "x"},
        {"custom, every scalar", removing(CharacterClass::custom, "a\u00e9"), "Caf\u00e9 bar",
         "Cf br"},
        {"custom, scalars not characters", removing(CharacterClass::custom, "\u00e9"), "Cafe\u0301",
         "Cafe\u0301"},
        {"custom, a mark alone", removing(CharacterClass::custom, "\u0301"), "Cafe\u0301", "Cafe"},
        {"custom, the mark survives its base", removing(CharacterClass::custom, "e"), "Cafe\u0301",
         "Caf\u0301"},
        {"custom, astral scalars", removing(CharacterClass::custom, "\U0001F3FD"),
         "\U0001F44D\U0001F3FD", "\U0001F44D"},
        {"custom ignored for other classes", removing(CharacterClass::digits, "a"), "a1", "a"}}));

INSTANTIATE_TEST_SUITE_P(
    CollapseSpaces, ApplySteps,
    ::testing::ValuesIn(std::vector<ApplyCase>{
        {"runs and ends", collapse, "  a   b  ", "a b"},
        {"tabs stay", collapse, "a\t\tb", "a\t\tb"},
        {"spaces around a tab", collapse, "a  \t  b", "a \t b"},
        {"no-break spaces stay inside", collapse, "a\u00a0\u00a0b", "a\u00a0\u00a0b"},
        {"ends trimmed of Zs and tabs", collapse, "\t\u00a0\u2003a b \u3000\t", "a b"},
        {"line separator is not trimmed", collapse, "a \u2028", "a \u2028"},
        {"only spaces", collapse, "   ", ""},
        {"non-ASCII kept", collapse, " \u00e9  \U0001F44D ", "\u00e9 \U0001F44D"}}));

}  // namespace
}  // namespace tavix
