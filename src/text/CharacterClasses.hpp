#pragma once

#include <unicode/umachine.h>

#include <string>
#include <string_view>

namespace tavix::text {

enum class ScalarClass { digits, punctuation, whitespace, symbols };

// Membership of one Unicode scalar by general category:
//   digits       Nd, every script's decimal digits
//   punctuation  Pc Pd Ps Pe Pi Pf Po
//   whitespace   Zs and the tab; line and paragraph separators are not in it
//   symbols      Sm Sc Sk So
bool isInClass(UChar32 c, ScalarClass kind);

// Well-formed UTF-8 `text` without the scalars of `kind`; every other byte is
// kept as it was.
std::string removeScalars(std::string_view text, ScalarClass kind);
// Well-formed UTF-8 `text` without the scalars that occur in `set`.
std::string removeScalarsOf(std::string_view text, std::string_view set);

// `text` without the whitespace class (Zs and tab) at both ends.
std::string_view trimWhitespace(std::string_view text);

}  // namespace tavix::text
