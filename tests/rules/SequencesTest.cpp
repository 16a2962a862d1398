#include <gtest/gtest.h>

#include "rules/Sequences.hpp"

namespace tavix {
namespace {

TEST(Sequences, RomanNumeralsAreGreedyAndPlainDecimalOutsideTheirRange) {
    const std::pair<std::int64_t, std::string> cases[] = {
        {1, "I"},          {4, "IV"},
        {9, "IX"},         {14, "XIV"},
        {40, "XL"},        {90, "XC"},
        {400, "CD"},       {900, "CM"},
        {1994, "MCMXCIV"}, {3999, "MMMCMXCIX"},
        {0, "0"},          {-2, "-2"},
        {4000, "4000"},    {INT64_MIN, "-9223372036854775808"}};
    for (const auto& [n, expected] : cases) EXPECT_EQ(Sequences::roman(n), expected) << n;
}

TEST(Sequences, LettersCountInBijectiveBase26) {
    const std::pair<std::int64_t, std::string> cases[] = {
        {0, "a"},    {25, "z"},    {26, "aa"},
        {27, "ab"},  {51, "az"},   {52, "ba"},
        {701, "zz"}, {702, "aaa"}, {INT64_MAX, "crpxnlskvljfhh"}};
    for (const auto& [n, expected] : cases) {
        EXPECT_EQ(Sequences::letters(n, false), expected) << n;
    }
    EXPECT_EQ(Sequences::letters(26, true), "AA");
    EXPECT_EQ(Sequences::letters(-5, false), "a");
}

}  // namespace
}  // namespace tavix
