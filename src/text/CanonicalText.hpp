#pragma once

#include <cstddef>
#include <string_view>

namespace tavix {

// Equality of UTF-8 texts under Unicode canonical equivalence: a precomposed
// "é" equals "e" followed by U+0301. Identical bytes short-cut the comparison.
bool canonicallyEqual(std::string_view a, std::string_view b);

// A hash consistent with canonicallyEqual (it hashes the NFC form).
std::size_t canonicalHash(std::string_view text);

}  // namespace tavix
