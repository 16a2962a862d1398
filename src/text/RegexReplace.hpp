#pragma once

#include <cstdint>
#include <memory>
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
// Names on which one replacer may run out of time or stack before it gives up
// for good: a hostile pattern then costs a plan about 30 ms, not 4 ms per name.
inline constexpr int kRegexGiveUpAfter = 8;

// What one replace made of a text.
enum class Replaced {
    none,        // nothing matched: the text stays as it is
    some,        // the text with its matches replaced is in `out`
    unfinished,  // the evaluation ran out of time or stack, or had been given up
};

// An ICU regular expression and its replacement template, compiled once for
// many names. The pattern is case-insensitive unless `caseSensitive`, with no
// other flag (ICU is not asked to fold case where that can't change a match:
// matchesAlikeInEveryCase); the replacement is read as a ReplacementTemplate.
// A pattern simple enough to match short names without ICU (SimplePattern) is
// compiled by ICU only once a name needs it. Not thread-safe: it keeps one
// matcher and the buffers of the last name.
class RegexReplacer {
public:
    // Nothing when the pattern doesn't compile or the template names a group the
    // pattern lacks.
    static std::unique_ptr<RegexReplacer> make(std::string_view pattern,
                                               std::string_view replacement, bool caseSensitive);
    ~RegexReplacer();

    // Every match in `text`, from the start, replaced, the result written into
    // `out` (what it held is gone) when there was one. Unfinished when the
    // evaluation runs out of time or stack, and for every name once that has
    // happened kRegexGiveUpAfter times. `out` must not view `text`.
    Replaced replaceAll(std::string_view text, std::string& out);

    // Whether it has given up (every later name is left alone).
    bool gaveUp() const;
    // Whether the pattern is simple enough to match short ASCII names without
    // ICU (SimplePattern), with the same results.
    bool matchesWithoutIcu() const;

private:
    struct Compiled;
    explicit RegexReplacer(std::unique_ptr<Compiled> compiled);
    std::unique_ptr<Compiled> compiled_;
};

}  // namespace tavix::text
