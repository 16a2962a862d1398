#pragma once

#include <string>
#include <string_view>

namespace tavix::text {

// Names as a volume that ignores letter case and normalisation compares them.

// Whether `a` and `b` are the same name but for letter case (or canonically
// equivalent spellings): lowercased, they are canonically equal. Equal names
// count too, but for a name that isn't UTF-8: it is never taken for another.
bool differsOnlyInCase(std::string_view a, std::string_view b);

// The form two such names share exactly when differsOnlyInCase holds for them:
// lowercased, in NFC; a name that isn't UTF-8 as it is.
std::string caseFoldedKey(std::string_view name);

}  // namespace tavix::text
