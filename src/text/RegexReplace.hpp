#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tavix::text {

// ICU measures a regular expression's work in units of 10,000 backtracking
// steps (about 0.16 ms on the reference machine), summed over every find since
// the matcher was last pointed at a text. One replace over one name gets this
// many units, enough for any ordinary pattern on a name of a few hundred
// characters; a catastrophic one like "(a+)+$" stops after about 4 ms.
inline constexpr std::int32_t kRegexTimeLimit = 25;
// Bytes of backtracking stack one evaluation may use.
inline constexpr std::int32_t kRegexStackLimit = 4 << 20;

// Every match of the ICU regular expression `pattern` in `text`, from the start,
// replaced by `replacement` read as a ReplacementTemplate. The pattern is
// case-insensitive unless `caseSensitive`, with no other flag. Nothing when the
// pattern doesn't compile, the template names a group the pattern lacks, or
// the evaluation runs out of time or stack; `text` itself when nothing matches.
std::optional<std::string> regexReplaceAll(std::string_view text, std::string_view pattern,
                                           std::string_view replacement, bool caseSensitive);

}  // namespace tavix::text
