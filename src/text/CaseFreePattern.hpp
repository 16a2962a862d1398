#pragma once

#include <string_view>

namespace tavix::text {

// Whether an ICU regular expression matches exactly the same texts with and
// without the case-insensitive flag, judged conservatively from its text: true
// only for an ASCII pattern with no letter of its own (literal, in a set, in a
// property or a flag), with no backreference, whose escapes are among \d \D \s
// \S \b \B \t \n \r \f and whose set ranges span no letter. Such a pattern
// names no character that has another case, so folding can't change a match.
// False whenever unsure.
bool matchesAlikeInEveryCase(std::string_view pattern);

}  // namespace tavix::text
