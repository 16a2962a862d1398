#include "ApplyCase.hpp"
#include "support/LocaleAndZone.hpp"

namespace tavix {
namespace {

const RenameRule lower = RenameRule{ChangeCase{CaseStyle::lower}};
const RenameRule upper = RenameRule{ChangeCase{CaseStyle::upper}};
const RenameRule title = RenameRule{ChangeCase{CaseStyle::title}};
const RenameRule sentence = RenameRule{ChangeCase{CaseStyle::sentence}};

// One row of each style (lowercased, uppercased and titlecased texts are
// compared with ICU's in src/text), and what sentence case does beyond ASCII.
INSTANTIATE_TEST_SUITE_P(
    ChangeCase, ApplySteps,
    ::testing::ValuesIn(std::vector<ApplyCase>{
        {"lower", lower, "IMG_0042 \u00c9T\u00c9", "img_0042 \u00e9t\u00e9"},
        {"upper, one to many", upper, "stra\u00dfe", "STRASSE"},
        {"title", title, "hello wORLD", "Hello World"},
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

}  // namespace
}  // namespace tavix
