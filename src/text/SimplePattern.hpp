#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace tavix::text {

// A regular expression simple enough to match an ASCII text without ICU, with
// the matches ICU would find: a run of single characters (an ASCII literal, an
// escaped punctuation mark, \d, or a set of those and of ranges), each with an
// optional greedy quantifier (? * + {n} {n,} {n,m}), some of them in capture
// groups that don't nest and take no quantifier. Only patterns that can't need
// to backtrack are taken: a character with a variable count shares no
// character with anything after it, so its longest run is the only one that can
// lead to a match, and ICU's first match from each position is that one. The
// pattern must also consume at least one character, so that no match is empty.
class SimplePattern {
public:
    // Nothing for any other pattern, or one this reading isn't sure of.
    // `foldCase`: letters match in either case.
    static std::optional<SimplePattern> parse(std::string_view pattern, bool foldCase);

    // The number of capture groups.
    std::size_t groupCount() const { return groups_.size(); }
    // Whether it has a \d, which outside ASCII matches the digits of other scripts.
    bool hasDigitClass() const { return digits_; }
    // Whether letters match in either case, which outside ASCII matches other
    // letters too (the Kelvin sign, the long s, ligatures).
    bool foldsCase() const { return fold_; }

    // The spans of a match: [0] the whole match, [g] group g, as byte offsets.
    using Spans = std::vector<std::pair<std::size_t, std::size_t>>;
    // The first match in `text` at or after `from`, its spans in `spans`. `text`
    // is ASCII, or UTF-8 whose characters beyond ASCII ICU would match to none
    // of the pattern's (see hasDigitClass and foldsCase): as no byte of theirs
    // matches, the match is ICU's.
    bool find(std::string_view text, std::size_t from, Spans& spans) const;

private:
    struct Atom {
        std::array<std::uint64_t, 4> set{};  // the bytes it matches, all ASCII
        std::uint32_t min = 1;
        std::uint32_t max = 1;
        bool has(unsigned char c) const { return (set[c >> 6] >> (c & 63) & 1) != 0; }
    };
    struct Group {
        std::size_t first;  // its first atom
        std::size_t end;    // one past its last
    };
    // The end of the match starting at `at`, the atoms' starts in starts_.
    std::optional<std::size_t> matchAt(std::string_view text, std::size_t at) const;

    std::vector<Atom> atoms_;
    std::vector<Group> groups_;
    std::size_t shortest_ = 0;  // the fewest bytes a match takes
    bool digits_ = false;
    bool fold_ = false;
    mutable std::vector<std::size_t> starts_;  // per atom, where it began in the last match
    // The bytes the first atom matches, one flag each: the search for where a
    // match can start looks at every byte of a name.
    std::array<bool, 256> starters_{};
};

}  // namespace tavix::text
