#include <gtest/gtest.h>

#include "engine/NameDiff.hpp"

namespace tavix {
namespace {

struct DiffCase {
    std::string oldName;
    std::string newName;
    std::optional<TextSpan> range;  // in characters
    std::string marked;             // the marked text, as bytes of the new name
};

class ChangedStretch : public ::testing::TestWithParam<DiffCase> {};

TEST_P(ChangedStretch, MarksExactlyTheNewCharacters) {
    const auto& c = GetParam();
    EXPECT_EQ(NameDiff::changedRange(c.oldName, c.newName), c.range);
    const AttributedName name = NameDiff::attributed(c.oldName, c.newName, true);
    EXPECT_EQ(name.text, c.newName);
    if (c.range) {
        ASSERT_TRUE(name.marked);
        EXPECT_EQ(name.text.substr(name.marked->start, name.marked->end - name.marked->start),
                  c.marked);
    } else {
        EXPECT_FALSE(name.marked);
    }
    EXPECT_FALSE(NameDiff::attributed(c.oldName, c.newName, false).marked);
}

INSTANTIATE_TEST_SUITE_P(
    NameDiff, ChangedStretch,
    ::testing::ValuesIn(std::vector<DiffCase>{
        {"same", "same", std::nullopt, ""},
        {"a", "ab", TextSpan{1, 2}, "b"},
        {"abc", "ac", std::nullopt, ""},
        {"aaa", "aaaa", TextSpan{3, 4}, "a"},
        {"photo", "PHOTO", TextSpan{0, 5}, "PHOTO"},
        {"", "new", TextSpan{0, 3}, "new"},
        {"IMG_1.jpg", "IMG_0001.jpg", TextSpan{4, 7}, "000"},
        // Canonically equivalent names are equal; characters compare as wholes.
        {"caf\u00E9", "cafe\u0301", std::nullopt, ""},
        {"cafe.txt", "cafe\u0301.txt", TextSpan{3, 4}, "e\u0301"},
        {"\U0001F44D.txt", "\U0001F44D\U0001F3FD.txt", TextSpan{0, 1}, "\U0001F44D\U0001F3FD"}}));

}  // namespace
}  // namespace tavix
