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
        RenameRule{FindReplace{"b", "x", false, false, Occurrences::all}},
        RenameRule{FindReplace{"b", "x", true, false, Occurrences::all}},
        RenameRule{FindReplace{"b", "x", false, false, Occurrences::last}},
        RenameRule{AddText{"x", Position::prefix}},
        RenameRule{RemoveText{"b", false}},
        RenameRule{ChangeCase{CaseStyle::upper}},
        RenameRule{ChangeCase{CaseStyle::title}},
        RenameRule{ChangeCase{CaseStyle::sentence}},
        RenameRule{RemoveCharacters{CharacterClass::whitespace, ""}},
        RenameRule{RemoveCharacters{CharacterClass::custom, "a"}},
        RenameRule{CollapseSpaces{}},
        RenameRule{Crop{CropMode::removeFirst, std::numeric_limits<std::int64_t>::max()}},
        RenameRule{InsertAt{"x", 1}},
        RenameRule{Truncate{1, Position::suffix}},
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

TEST(EmptyNames, StayEmptyUnlessTextIsAdded) {
    for (const RenameRule& rule : changingSteps()) {
        const bool adds = std::holds_alternative<AddText>(rule.kind) ||
                          std::holds_alternative<InsertAt>(rule.kind);
        EXPECT_EQ(applied(rule, ""), adds ? "x" : "") << rule.id();
    }
}

}  // namespace
}  // namespace tavix
