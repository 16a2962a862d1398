#include <cstdint>
#include <limits>

#include "ApplyCase.hpp"

namespace tavix {
namespace {

constexpr std::int64_t huge = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t tiny = std::numeric_limits<std::int64_t>::min();

RenameRule crop(CropMode mode, std::int64_t count) {
    return RenameRule{Crop{mode, count}};
}
RenameRule insert(std::string text, std::int64_t offset) {
    return RenameRule{InsertAt{std::move(text), offset}};
}
RenameRule truncate(std::int64_t limit, Position from) {
    return RenameRule{Truncate{limit, from}};
}

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
        {"crop, count 0 keeps the name", crop(CropMode::keepFirst, 0), "abc", "abc"},
        {"crop, most negative count", crop(CropMode::removeFirst, tiny), "abc", "abc"},
        {"crop, remove first", crop(CropMode::removeFirst, 2), "abcdef", "cdef"},
        {"crop, keep first", crop(CropMode::keepFirst, 2), "abcdef", "ab"},
        {"crop, keep last", crop(CropMode::keepLast, 2), "abcdef", "ef"},
        {"crop, remove beyond the length", crop(CropMode::removeLast, huge), "abcdef", ""},
        {"crop, ZWJ family", crop(CropMode::removeFirst, 1), family + "x", "x"},
        {"crop, combining mark", crop(CropMode::removeLast, 1), "caf" + eAcute, "caf"},
        {"insert at offset 0", insert("-", 0), "hello", "-hello"},
        {"insert, inside", insert("-", 2), "hello", "he-llo"},
        {"insert, beyond the end", insert("-", 99), "hello", "hello-"},
        {"insert, most negative", insert("-", tiny), "hello", "-hello"},
        {"insert, after a combining mark", insert("-", 1), eAcute + "x", eAcute + "-x"},
        {"insert, between flags", insert("-", 1), france + russia, france + "-" + russia},
        {"truncate, cut the end", truncate(3, Position::suffix), "abcdef", "abc"},
        {"truncate, cut the start", truncate(3, Position::prefix), "abcdef", "def"},
        {"truncate, limit 0 is 1", truncate(0, Position::suffix), "abcdef", "a"},
        {"truncate, most negative is 1", truncate(tiny, Position::prefix), "abcdef", "f"},
        {"truncate, family kept whole", truncate(1, Position::prefix), "x" + family, family},
        {"truncate, more bytes than characters", truncate(2, Position::suffix), eAcute + eAcute,
         eAcute + eAcute}}));

}  // namespace
}  // namespace tavix
