#include <unicode/unistr.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "ApplyCase.hpp"
#include "text/Graphemes.hpp"

namespace tavix {
namespace {

// One step of each text kind, each of which would change "ab cd".
std::vector<RenameRule> changingSteps() {
    return {
        RenameRule::findReplace("b", "x", false, false, Occurrences::all),
        RenameRule::findReplace("b", "x", true, false, Occurrences::all),
        RenameRule::findReplace("b", "x", false, false, Occurrences::last),
        RenameRule::addText("x", Position::prefix),
        RenameRule::removeText("b", false),
        RenameRule::changeCase(CaseStyle::upper),
        RenameRule::changeCase(CaseStyle::title),
        RenameRule::changeCase(CaseStyle::sentence),
        RenameRule::removeCharacters(CharacterClass::whitespace, ""),
        RenameRule::removeCharacters(CharacterClass::custom, "a"),
        RenameRule::collapseSpaces(),
        RenameRule::crop(CropMode::removeFirst, std::numeric_limits<std::int64_t>::max()),
        RenameRule::insertAt("x", 1),
        RenameRule::truncate(1, Position::suffix),
    };
}

TEST(IllFormedNames, KeepEveryByte) {
    const std::string names[] = {
        "ab cd\xff",           // a byte that never occurs in UTF-8
        "ab cd\xc3",           // a sequence cut short
        "ab \xc0\xaf cd",      // an overlong slash
        "ab \xed\xa0\x80 cd",  // an encoded surrogate
        "\x80"
        "ab cd",  // a lone continuation byte
    };
    for (const std::string& name : names) {
        for (const RenameRule& rule : changingSteps()) {
            EXPECT_EQ(applied(rule, name), name) << rule.id();
        }
    }
}

TEST(IllFormedParameters, ReadAsReplacementCharacters) {
    EXPECT_EQ(applied(RenameRule::addText("\xff", Position::suffix), "a"), "a\ufffd");
    EXPECT_EQ(applied(RenameRule::insertAt("\xc3", 0), "a"), "\ufffda");
    EXPECT_EQ(applied(RenameRule::findReplace("a", "\xff", false, false, Occurrences::all), "a"),
              "\ufffd");
    EXPECT_EQ(applied(RenameRule::removeText("\xff", false), "a\ufffdb"), "ab");
    EXPECT_EQ(applied(RenameRule::findReplace("\xff", "x", true, false, Occurrences::all), "a"),
              "a");
}

TEST(EmptyNames, StayEmptyUnlessTextIsAdded) {
    for (const RenameRule& rule : changingSteps()) {
        const bool adds = std::holds_alternative<AddText>(rule.kind) ||
                          std::holds_alternative<InsertAt>(rule.kind);
        EXPECT_EQ(applied(rule, ""), adds ? "x" : "") << rule.id();
    }
}

// Below U+0300 every scalar is taken as a character of its own without asking
// ICU; ICU's own segmentation of the same scalars must agree.
TEST(Graphemes, ShortcutBelowCombiningMarksAgreesWithIcu) {
    std::string simple;
    for (UChar32 c = 1; c < 0x300; ++c) {
        if (c == '\r') continue;  // tested as CR LF below
        icu::UnicodeString(c).toUTF8String(simple);
    }
    simple += "\r\n\r\r";
    const std::string forced = simple + "\u0370";  // Greek heta: a plain letter past U+0300
    std::vector<std::size_t> shortcut = text::graphemeBoundaries(simple);
    std::vector<std::size_t> reference = text::graphemeBoundaries(forced);
    ASSERT_EQ(reference.back(), forced.size());
    reference.pop_back();
    EXPECT_EQ(shortcut, reference);
}

// ASCII names are searched byte by byte; the same search inside a name that
// takes the full Unicode path must find the same stretches.
TEST(PlainSearch, AsciiShortcutAgreesWithUnicodePath) {
    struct Row {
        std::string name, find;
        bool caseSensitive;
    };
    const Row rows[] = {
        {"Alpha Beta ALPHA", "alpha", false},
        {"Alpha Beta ALPHA", "alpha", true},
        {"aaaa", "aa", false},
        {"a_b-c.d", "-C.", false},
        {"x\r\ny\rz", "\r", false},
        {"x\r\ny", "\r\n", false},
        {"[]{}@`", "@`", false},
        {"Z", "z", true},
    };
    for (const Row& row : rows) {
        for (Occurrences which : {Occurrences::all, Occurrences::first, Occurrences::last}) {
            const RenameRule rule =
                RenameRule::findReplace(row.find, "#", false, row.caseSensitive, which);
            EXPECT_EQ(applied(rule, row.name + "\u00e9"), applied(rule, row.name) + "\u00e9")
                << row.name << " / " << row.find;
        }
    }
}

}  // namespace
}  // namespace tavix
