#pragma once

#include <string>
#include <string_view>

namespace tavix::text {

// Full Unicode case mappings of well-formed UTF-8 under the root locale: the
// result never depends on the process's default locale (no Turkish dotless i,
// no Lithuanian dot retention). One character may become several ('ß' → "SS").

std::string lowercased(std::string_view text);
// The same written into `out` (what it held is gone), its room reused; `out`
// must not view `text`.
void lowercased(std::string_view text, std::string& out);
std::string uppercased(std::string_view text);

// Words are maximal runs of scalars without the Unicode White_Space property
// (spaces, tabs, line ends). In each word the first letter, digit or symbol is
// titlecased; characters before it (opening punctuation) are kept and the rest
// of the word is lowercased: "(o'neil-SMITH" → "(O'neil-smith".
std::string capitalized(std::string_view text);

// The whole text lowercased, then its first character (grapheme cluster)
// replaced by that character's uppercase mapping.
std::string sentenceCased(std::string_view text);

}  // namespace tavix::text
