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
// the full lowercase mapping, in NFC; a name that isn't UTF-8 as it is, so two
// different such names never share it. `name` itself when it is its own key
// (no capitals, already in NFC: every name after a lowercase step), else
// `room`, which holds it.
std::string_view caseFoldedKey(std::string_view name, std::string& room);

}  // namespace tavix::text
