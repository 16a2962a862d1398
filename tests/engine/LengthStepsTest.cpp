#include <cstdint>
#include <limits>

#include "ApplyCase.hpp"

namespace tavix {
namespace {

constexpr std::int64_t huge = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t tiny = std::numeric_limits<std::int64_t>::min();

RenameRule crop(CropMode mode, std::int64_t count) {
    return RenameRule::crop(mode, count);
}
RenameRule insert(std::string text, std::int64_t offset) {
    return RenameRule::insertAt(std::move(text), offset);
}
RenameRule truncate(std::int64_t limit, Position from) {
    return RenameRule::truncate(limit, from);
}

// Characters that take several scalars, each counted as one.
const std::string thumbsUpTone = "\U0001F44D\U0001F3FD";
const std::string family = "\U0001F468\u200d\U0001F469\u200d\U0001F467";
const std::string france = "\U0001F1EB\U0001F1F7";
const std::string russia = "\U0001F1F7\U0001F1FA";
const std::string eAcute = "e\u0301";

INSTANTIATE_TEST_SUITE_P(
    AddText, ApplySteps,
    ::testing::Values(
        ApplyCase{"before", RenameRule::addText("new-", Position::prefix), "a", "new-a"},
        ApplyCase{"after", RenameRule::addText("-new", Position::suffix), "a", "a-new"},
        ApplyCase{"empty text", RenameRule::addText("", Position::suffix), "a", "a"},
        ApplyCase{"to an empty name", RenameRule::addText("x", Position::prefix), "", "x"}));

INSTANTIATE_TEST_SUITE_P(
    Crop, ApplySteps,
    ::testing::Values(
        ApplyCase{"count 0 keeps the name", crop(CropMode::keepFirst, 0), "abc", "abc"},
        ApplyCase{"most negative count", crop(CropMode::removeFirst, tiny), "abc", "abc"},
        ApplyCase{"remove first", crop(CropMode::removeFirst, 2), "abcdef", "cdef"},
        ApplyCase{"remove last", crop(CropMode::removeLast, 2), "abcdef", "abcd"},
        ApplyCase{"keep first", crop(CropMode::keepFirst, 2), "abcdef", "ab"},
        ApplyCase{"keep last", crop(CropMode::keepLast, 2), "abcdef", "ef"},
        ApplyCase{"remove beyond the length", crop(CropMode::removeLast, huge), "abcdef", ""},
        ApplyCase{"keep beyond the length", crop(CropMode::keepLast, huge), "abcdef", "abcdef"},
        ApplyCase{"empty name", crop(CropMode::removeFirst, 1), "", ""},
        ApplyCase{"emoji with skin tone", crop(CropMode::keepFirst, 1), thumbsUpTone + "x",
                  thumbsUpTone},
        ApplyCase{"ZWJ family", crop(CropMode::removeFirst, 1), family + "x", "x"},
        ApplyCase{"flags", crop(CropMode::keepLast, 1), france + russia, russia},
        ApplyCase{"combining mark", crop(CropMode::removeLast, 1), "caf" + eAcute, "caf"},
        ApplyCase{"CR LF", crop(CropMode::removeFirst, 1), "\r\nx", "x"}));

INSTANTIATE_TEST_SUITE_P(
    InsertAt, ApplySteps,
    ::testing::Values(
        ApplyCase{"offset 0", insert("-", 0), "hello", "-hello"},
        ApplyCase{"inside", insert("-", 2), "hello", "he-llo"},
        ApplyCase{"beyond the end", insert("-", 99), "hello", "hello-"},
        ApplyCase{"most negative", insert("-", tiny), "hello", "-hello"},
        ApplyCase{"empty text", insert("", 2), "hello", "hello"},
        ApplyCase{"empty name", insert("-", 3), "", "-"},
        ApplyCase{"after a combining mark", insert("-", 1), eAcute + "x", eAcute + "-x"},
        ApplyCase{"between flags", insert("-", 1), france + russia, france + "-" + russia},
        ApplyCase{"after a family", insert("-", 1), family + family, family + "-" + family}));

INSTANTIATE_TEST_SUITE_P(
    Truncate, ApplySteps,
    ::testing::Values(
        ApplyCase{"cut the end", truncate(3, Position::suffix), "abcdef", "abc"},
        ApplyCase{"cut the start", truncate(3, Position::prefix), "abcdef", "def"},
        ApplyCase{"limit 0 is 1", truncate(0, Position::suffix), "abcdef", "a"},
        ApplyCase{"most negative is 1", truncate(tiny, Position::prefix), "abcdef", "f"},
        ApplyCase{"largest limit", truncate(huge, Position::suffix), "abcdef", "abcdef"},
        ApplyCase{"skin tone kept whole", truncate(2, Position::suffix), "a" + thumbsUpTone + "b",
                  "a" + thumbsUpTone},
        ApplyCase{"family kept whole", truncate(1, Position::prefix), "x" + family, family},
        ApplyCase{"marks counted with their letter", truncate(4, Position::suffix),
                  "caf" + eAcute + "s", "caf" + eAcute},
        ApplyCase{"more bytes than characters", truncate(2, Position::suffix), eAcute + eAcute,
                  eAcute + eAcute}));

}  // namespace
}  // namespace tavix
