#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "rules/Sequences.hpp"

namespace tavix {
namespace {

// Each row: a number and what it should give.
void expectEach(const std::string& rows, const std::function<std::string(std::int64_t)>& make) {
    std::istringstream in(rows);
    for (std::int64_t n; in >> n;) {
        std::string expected;
        in >> expected;
        EXPECT_EQ(make(n), expected) << n;
    }
}

TEST(Sequences, RomanNumeralsAreGreedyAndPlainDecimalOutsideTheirRange) {
    expectEach("1 I 4 IV 9 IX 14 XIV 40 XL 90 XC 400 CD 900 CM 1994 MCMXCIV 3999 MMMCMXCIX 0 0 "
               "-2 -2 4000 4000 -9223372036854775808 -9223372036854775808",
               Sequences::roman);
}

TEST(Sequences, LettersCountInBijectiveBase26) {
    expectEach("0 a 25 z 26 aa 27 ab 51 az 52 ba 701 zz 702 aaa 9223372036854775807 crpxnlskvljfhh "
               "-5 a",
               [](std::int64_t n) { return Sequences::letters(n, false); });
    EXPECT_EQ(Sequences::letters(26, true), "AA");
}

}  // namespace
}  // namespace tavix
