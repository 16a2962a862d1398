#pragma once

#include <cstdint>
#include <string>

namespace tavix::Sequences {

// The roman numeral of n (upper case, built greedily); plain decimal outside 1…3999.
std::string roman(std::int64_t n);

// The 0-based letter sequence a, b, … z, aa, ab … (bijective base 26);
// upper case when `uppercase` is set. Negative n gives the first letter.
std::string letters(std::int64_t n, bool uppercase);

}  // namespace tavix::Sequences
