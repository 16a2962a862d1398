#include <unicode/locid.h>
#include <unicode/stringoptions.h>
#include <unicode/unistr.h>

#include "ApplyCase.hpp"
#include "support/LocaleAndZone.hpp"

namespace tavix {
namespace {

const RenameRule lower = RenameRule{ChangeCase{CaseStyle::lower}};
const RenameRule upper = RenameRule{ChangeCase{CaseStyle::upper}};
const RenameRule title = RenameRule{ChangeCase{CaseStyle::title}};
const RenameRule sentence = RenameRule{ChangeCase{CaseStyle::sentence}};

INSTANTIATE_TEST_SUITE_P(
    ChangeCase, ApplySteps,
    ::testing::ValuesIn(std::vector<ApplyCase>{
        {"lower", lower, "IMG_0042 \u00c9T\u00c9", "img_0042 \u00e9t\u00e9"},
        {"lower, final sigma", lower, "\u039f\u0394\u039f\u03a3 \u03a3\u039f\u03a6\u039f\u03a3",
         "\u03bf\u03b4\u03bf\u03c2 \u03c3\u03bf\u03c6\u03bf\u03c2"},
        {"upper, one to many", upper, "stra\u00dfe", "STRASSE"},
        {"upper keeps the marks", upper, "e\u0301t\u00e9", "E\u0301T\u00c9"},
        {"title", title, "hello wORLD", "Hello World"},
        {"title, inside punctuation", title, "o'neil-SMITH", "O'neil-smith"},
        {"title, opening punctuation", title, "(hello) \"world\"", "(Hello) \"World\""},
        {"title, titlecase letter", title, "\u01c6emal", "\u01c5emal"},
        {"title, sharp s", title, "\u00dfTRASSE", "Sstrasse"},
        {"title, final sigma per word", title, "\u039f\u0394\u039f\u03a3 \u039f\u0394\u039f\u03a3",
         "\u039f\u03b4\u03bf\u03c2 \u039f\u03b4\u03bf\u03c2"},
        {"sentence", sentence, "hELLO wORLD", "Hello world"},
        {"sentence, leading space", sentence, " hELLO", " hello"},
        {"sentence, mark stays on its letter", sentence, "e\u0301LAN", "E\u0301lan"},
        {"sentence, uppercase not titlecase", sentence, "\u01c6EMAL", "\u01c4emal"},
        {"sentence, ligature", sentence, "\ufb01NE", "FIne"}}));

// The process's default locale never changes a name's case mapping.
TEST(TurkishDefaultLocale, CaseMappingStaysRoot) {
    const test::LocaleAndZone turkish("tr_TR");
    const struct {
        RenameRule rule;
        std::string name, expected;
    } rows[] = {
        {upper, "istanbul", "ISTANBUL"},
        {upper, "\u0131s\u0131k", "ISIK"},
        {lower, "ISTANBUL", "istanbul"},
        {lower, "\u0130STANBUL", "i\u0307stanbul"},
        {title, "izmir \u0131l\u0131k", "Izmir Il\u0131k"},
        {sentence, "iSTANBUL", "Istanbul"},
        {RenameRule{FindReplace{"I", "-", false, false, Occurrences::all}}, "kiti", "k-t-"},
        {RenameRule{FindReplace{"I", "-", true, false, Occurrences::all}}, "kiti", "k-t-"},
    };
    for (const auto& row : rows) EXPECT_EQ(applied(row.rule, row.name), row.expected) << row.name;
}

// ASCII words take a shortcut; it must agree with ICU's titlecasing of the word.
TEST(TitleCase, AsciiShortcutAgreesWithIcu) {
    for (int c = 0x21; c < 0x7f; ++c) {
        for (const std::string& word :
             {std::string(1, char(c)) + "aB", "x" + std::string(1, char(c)) + "Y",
              std::string(2, char(c)) + "Ab"}) {
            icu::UnicodeString reference = icu::UnicodeString::fromUTF8(word);
            reference.toTitle(nullptr, icu::Locale::getRoot(), U_TITLECASE_WHOLE_STRING);
            std::string expected;
            reference.toUTF8String(expected);
            EXPECT_EQ(applied(title, word), expected) << word;
        }
    }
}

}  // namespace
}  // namespace tavix
