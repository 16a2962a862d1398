#pragma once

#include <string>
#include <string_view>

namespace tavix {

// Equality of UTF-8 texts under Unicode canonical equivalence: a precomposed
// "é" equals "e" followed by U+0301. Identical bytes short-cut the comparison.
bool canonicallyEqual(std::string_view a, std::string_view b);

// The NFC form of `text` (the text itself when it already is): two texts are
// canonically equal exactly when their forms are byte for byte equal.
std::string canonicalForm(std::string_view text);

}  // namespace tavix
