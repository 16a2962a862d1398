#pragma once

#include <unicode/umachine.h>

#include <string>
#include <string_view>

#include "rules/Options.hpp"

namespace tavix::text {

// Membership of one Unicode scalar by general category:
//   digits       Nd, every script's decimal digits
//   punctuation  Pc Pd Ps Pe Pi Pf Po
//   whitespace   Zs and the tab; line and paragraph separators are not in it
//   symbols      Sm Sc Sk So
// `custom` has no fixed set; this says false for it.
bool isInClass(UChar32 c, CharacterClass kind);

// Well-formed UTF-8 `text` without the scalars of `kind`, or for `custom`
// without the scalars of `custom`; every other byte is kept as it was.
std::string removeScalars(std::string_view text, CharacterClass kind, std::string_view custom);

// `text` without the whitespace class (Zs and tab) at both ends.
std::string_view trimWhitespace(std::string_view text);

}  // namespace tavix::text
