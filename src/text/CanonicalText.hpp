#pragma once

#include <string>
#include <string_view>

namespace tavix {

// Equality of UTF-8 texts under Unicode canonical equivalence: a precomposed
// "é" equals "e" followed by U+0301. Identical bytes short-cut the comparison.
bool canonicallyEqual(std::string_view a, std::string_view b);

// Whether `a` and `b` differ in the ASCII characters that every canonical form
// and every lowercasing keeps as they are, taken in order: digits, space,
// controls and the punctuation but ; < = > and ` (no other character
// decomposes or lowercases to one, and none combines with a mark that follows
// it). When they do, the two are neither canonically equal nor equal but for
// letter case: a test that costs a pass over the bytes and spares ICU.
bool differInKeptAscii(std::string_view a, std::string_view b);

// The NFC form of `text` (the text itself when it already is): two texts are
// canonically equal exactly when their forms are byte for byte equal.
std::string canonicalForm(std::string_view text);

}  // namespace tavix
