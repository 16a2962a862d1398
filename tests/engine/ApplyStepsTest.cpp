#include <cstdint>
#include <limits>
#include <tuple>
#include <vector>

#include "ApplyCase.hpp"
#include "rules/Catalogue.hpp"
#include "support/Files.hpp"
#include "support/LocaleAndZone.hpp"
#include "support/TemporaryFolder.hpp"
#include "support/TestImages.hpp"

namespace tavix {

// The table rows of every test file instantiate this one test.
TEST_P(ApplySteps, RewriteTheName) {
    const ApplyCase& c = GetParam();
    EXPECT_EQ(applied(c.rule, c.name), c.expected);
}

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
        {"sentence, mark stays on its letter", sentence, "e\u0301LAN", "E\u0301lan"},
        {"sentence, uppercase not titlecase", sentence, "\u01c6EMAL", "\u01c4emal"},
        {"sentence, ligature", sentence, "\ufb01NE", "FIne"}}));

// The process's default locale never changes a name's case mapping.
TEST(TurkishDefaultLocale, CaseMappingStaysRoot) {
    const test::LocaleAndZone turkish("tr_TR");
    const std::tuple<RenameRule, std::string, std::string> rows[] = {
        {upper, "istanbul", "ISTANBUL"}, {upper, "\u0131s\u0131k", "ISIK"},
        {lower, "ISTANBUL", "istanbul"}, {lower, "\u0130STANBUL", "i\u0307stanbul"},
        {title, "izmir \u0131l\u0131k", "Izmir Il\u0131k"}, {sentence, "iSTANBUL", "Istanbul"},
        {RenameRule{FindReplace{"I", "-", false, false, Occurrences::all}}, "kiti", "k-t-"},
        {RenameRule{FindReplace{"I", "-", true, false, Occurrences::all}}, "kiti", "k-t-"},
    };
    for (const auto& [rule, name, cased] : rows) EXPECT_EQ(applied(rule, name), cased) << name;
}

const auto removing = [](CharacterClass kind, std::string custom = "") {
    return RenameRule{RemoveCharacters{kind, std::move(custom)}};
};
const RenameRule collapse = RenameRule{CollapseSpaces{}};

INSTANTIATE_TEST_SUITE_P(
    RemoveCharacters, ApplySteps,
    ::testing::ValuesIn(std::vector<ApplyCase>{
        {"digits of every script, not other numbers", removing(CharacterClass::digits),
         "IMG_0042\u0661\u0662\u00bd\u2162x", "IMG_\u00bd\u2162x"},
        {"punctuation", removing(CharacterClass::punctuation), "a-b_c(d)!\u00ab\u2014e\u00bb",
         "abcde"},
        {"whitespace", removing(CharacterClass::whitespace), "a b\tc\u00a0d\u3000e\u2028f\ng",
         "abcde\u2028f\ng"},
        {"symbols, a skin tone modifier too", removing(CharacterClass::symbols),
         "a+b=c$\u20ac\u00a9^\U0001F600d\U0001F44D\U0001F3FD", "abcd"},
        {"custom, every scalar", removing(CharacterClass::custom, "a\u00e9\U0001F3FD"),
         "Caf\u00e9 bar\U0001F44D\U0001F3FD", "Cf br\U0001F44D"},
        {"custom, scalars not characters", removing(CharacterClass::custom, "\u00e9e"),
         "Cafe\u0301", "Caf\u0301"},
        {"custom ignored for other classes", removing(CharacterClass::digits, "a"), "a1", "a"}}));

INSTANTIATE_TEST_SUITE_P(
    CollapseSpaces, ApplySteps,
    ::testing::ValuesIn(std::vector<ApplyCase>{
        {"runs and ends", collapse, "  a   b  ", "a b"},
        {"tabs stay, the spaces around them shrink", collapse, "a\t\tb  \t  c", "a\t\tb \t c"},
        {"ends trimmed of Zs and tabs, no-break spaces inside stay", collapse,
         "\t\u00a0\u2003a\u00a0\u00a0b \u3000\t", "a\u00a0\u00a0b"},
        {"line separator is not trimmed", collapse, "a \u2028", "a \u2028"},
        {"only spaces", collapse, "   ", ""},
        {"non-ASCII kept", collapse, " \u00e9  \U0001F44D ", "\u00e9 \U0001F44D"}}));

constexpr std::int64_t huge = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t tiny = std::numeric_limits<std::int64_t>::min();

const auto crop = [](CropMode mode, std::int64_t n) { return RenameRule{Crop{mode, n}}; };
const auto insert = [](std::string s, std::int64_t at) { return RenameRule{InsertAt{s, at}}; };
const auto truncate = [](std::int64_t n, Position from) { return RenameRule{Truncate{n, from}}; };

// Characters that take several scalars, each counted as one.
const std::string family = "\U0001F468\u200d\U0001F469\u200d\U0001F467";
const std::string france = "\U0001F1EB\U0001F1F7";
const std::string russia = "\U0001F1F7\U0001F1FA";
const std::string eAcute = "e\u0301";

INSTANTIATE_TEST_SUITE_P(
    LengthAndPosition, ApplySteps,
    ::testing::ValuesIn(std::vector<ApplyCase>{
        {"add, before", RenameRule{AddText{"new-", Position::prefix}}, "a", "new-a"},
        {"add, after", RenameRule{AddText{"-new", Position::suffix}}, "a", "a-new"},
        {"crop, most negative count", crop(CropMode::removeFirst, tiny), "abc", "abc"},
        {"crop, remove first, a ZWJ family is one", crop(CropMode::removeFirst, 2),
         family + "xcdef", "cdef"},
        {"crop, keep first", crop(CropMode::keepFirst, 2), "abcdef", "ab"},
        {"crop, keep last", crop(CropMode::keepLast, 2), "abcdef", "ef"},
        {"crop, remove beyond the length", crop(CropMode::removeLast, huge), "abcdef", ""},
        {"crop, combining mark", crop(CropMode::removeLast, 1), "caf" + eAcute, "caf"},
        {"insert, inside, after whole characters", insert("-", 2), eAcute + france + russia,
         eAcute + france + "-" + russia},
        {"insert, beyond the end", insert("-", 99), "hello", "hello-"},
        {"insert, most negative", insert("-", tiny), "hello", "-hello"},
        {"truncate, cut the end", truncate(3, Position::suffix), "abcdef", "abc"},
        {"truncate, cut the start, a family kept whole", truncate(2, Position::prefix),
         "abc" + family, "c" + family},
        {"truncate, most negative is 1", truncate(tiny, Position::prefix), "abcdef", "f"},
        {"truncate, more bytes than characters", truncate(2, Position::suffix), eAcute + eAcute,
         eAcute + eAcute}}));

// Steps of every text kind, each of which would change "ab cd", keep every byte
// of a name that isn't UTF-8, and leave an empty name empty unless they add text.
TEST(ChangingSteps, KeepIllFormedNamesAndEmptyOnes) {
    const auto replace = [](bool regex, Occurrences which) {
        return RenameRule{FindReplace{"b", "x", regex, false, which}};
    };
    const RenameRule steps[] = {
        replace(false, Occurrences::all), replace(true, Occurrences::all),
        replace(false, Occurrences::last), RenameRule{AddText{"x", Position::prefix}},
        RenameRule{RemoveText{"b", false}}, upper, title, sentence, collapse,
        removing(CharacterClass::whitespace), removing(CharacterClass::custom, "a"),
        crop(CropMode::removeFirst, huge), insert("x", 1), truncate(1, Position::suffix)};
    // A sequence cut short, an encoded surrogate (src/text tells every
    // ill-formed text as ICU does).
    const std::string illFormed[] = {"ab cd\xc3", "ab \xed\xa0\x80 cd"};
    for (const RenameRule& rule : steps) {
        for (const std::string& name : illFormed) EXPECT_EQ(applied(rule, name), name) << rule.id();
        const bool adds = std::holds_alternative<AddText>(rule.kind) ||
                          std::holds_alternative<InsertAt>(rule.kind);
        EXPECT_EQ(applied(rule, ""), adds ? "x" : "") << rule.id();
    }
}

// The names a step gives "n" at three indexes in a row from `from`, joined by "|".
TEST(GeneratedSteps, NumberLetterAndNameFilesInListOrder) {
    using R = RenameRule;
    constexpr auto pre = Position::prefix;
    constexpr auto suf = Position::suffix;
    constexpr std::int64_t max = INT64_MAX;
    const std::string top = std::to_string(max), below = std::to_string(max - 1);
    const std::tuple<RenameRule, std::int64_t, std::string> rows[] = {
        {R{Sequence{1, 1, 3, pre, ""}}, 0, "001n|002n|003n"},
        {R{Sequence{0, 0, 0, pre, ""}}, 0, "0n|1n|2n"},
        {R{Sequence{9, 5, 2, suf, "_"}}, 0, "n_09|n_14|n_19"},
        {R{Sequence{-5, 1, 3, suf, ""}}, 0, "n-05|n-04|n-03"},
        {R{Sequence{1, -4, 1, suf, ""}}, 0, "n1|n2|n3"},
        // Saturate instead of overflowing.
        {R{Sequence{max - 1, max, 1, suf, ""}}, 0, "n" + below + "|n" + top + "|n" + top},
        {R{RomanNumeral{max, suf, ""}}, 4, "n" + top + "|n" + top + "|n" + top},
        {R{RomanNumeral{0, suf, "-"}}, 0, "n-0|n-I|n-II"},
        {blank(RuleAction::letterSequence), 25, "n-z|n-aa|n-ab"},
        {R{LetterSequence{true, pre, " "}}, 27, "AB n|AC n|AD n"},
    };
    for (const auto& [rule, from, expected] : rows) {
        std::string names;
        for (std::int64_t i = from; i < from + 3; ++i)
            names += (names.empty() ? "" : "|") + applied(rule, "n", i, "/x/n");
        EXPECT_EQ(names, expected);
    }
    // A huge padding is capped, not allocated.
    EXPECT_EQ(applied((R{Sequence{1, 1, max, suf, ""}}), "", 0, "/x/n").size(), 255u);
    EXPECT_EQ(applied((R{ParentFolder{suf, ""}}), "n", 0, "/photos/Trip 2024/n.jpg"),
              "nTrip 2024");
    EXPECT_EQ(applied(blank(RuleAction::parentFolder), "n", 0, "/n.jpg"), "/-n");
}

// The date steps write the modification time in the default zone and locale's
// words; a vanished file's is the current time.
TEST(GeneratedSteps, DateStampFormatsTheModificationTime) {
    const test::LocaleAndZone settings("en_US", "UTC");
    test::TemporaryFolder folder;
    const auto file = folder.write("scan.pdf");
    test::setModified(file, 1'700'000'000);  // 2023-11-14 22:13:20 UTC
    const auto stamp = [&](const std::string& pattern, Position where, const std::string& sep) {
        return applied(RenameRule{DateStamp{pattern, where, sep}}, "scan", 0, file);
    };
    EXPECT_EQ(stamp("", Position::suffix, " "), "scan 2023-11-14");
    EXPECT_EQ(stamp("EEEE HH.mm.ss", Position::suffix, ", "), "scan, Tuesday 22.13.20");
    test::LocaleAndZone::set("de_DE", "Asia/Tokyo");
    EXPECT_EQ(stamp("EEEE d. HH.mm", Position::prefix, " "), "Mittwoch 15. 07.13 scan");
    // A tenth of a second before 1970 is still 1969: fractions round toward the past.
    test::setModified(file, 0, -100'000'000);
    EXPECT_EQ(stamp("yyyy-MM-dd HH.mm.ss", Position::prefix, " "), "1970-01-01 08.59.59 scan");
    const std::string now =
        applied(RenameRule{DateStamp{"yyyy", Position::prefix, "-"}}, "n", 0, "/no/such/file");
    ASSERT_EQ(now.size(), 6u);
    EXPECT_GE(std::stoi(now.substr(0, 4)), 2025);
}

TEST(GeneratedSteps, ImageDimensionsAddThePixelSizeOfImagesOnly) {
    test::TemporaryFolder folder;
    const auto png = folder.path() / "shot.png";
    std::string why;
    ASSERT_TRUE(test::writeImage(png, {.width = 640, .height = 480}, why)) << why;
    const auto rule = RenameRule{ImageDimensions{Position::prefix, " "}};
    EXPECT_EQ(applied(rule, "shot", 0, png), "640x480 shot");
    EXPECT_EQ(applied(blank(RuleAction::imageDimensions), "shot", 0, png), "shot-640x480");
    EXPECT_EQ(applied(rule, "notes", 0, folder.write("notes.txt", "not an image")), "notes");
    EXPECT_EQ(applied(rule, "gone", 0, folder.path() / "gone.png"), "gone");
}

}  // namespace
}  // namespace tavix
