#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tavix::text {

// Plain-text search over well-formed UTF-8. Two stretches match when they are
// canonically equivalent (precomposed "é" matches "e" + U+0301) and, unless
// `caseSensitive`, also equal under full Unicode case folding ("STRASSE"
// matches "straße"): the canonical caseless match NFD(fold(NFD(x))). A match
// starts and ends on grapheme cluster boundaries, so "e" never matches the
// base of "é" written with a combining accent, nor a regional indicator half
// of a flag. Matches are reported as byte ranges of the original text.

struct TextRange {
    std::size_t begin = 0;
    std::size_t end = 0;
    friend bool operator==(const TextRange&, const TextRange&) = default;
};

// A search text in its matching form, worked out once for many names.
class Needle {
public:
    Needle(std::string_view text, bool caseSensitive);

    bool empty() const { return empty_; }  // the search text was empty
    bool caseSensitive() const { return caseSensitive_; }
    bool isAscii() const { return ascii_; }
    const std::u16string& key() const { return key_; }

private:
    std::u16string key_;
    bool empty_;
    bool caseSensitive_;
    bool ascii_;
};

// Every match from the start, not overlapping. An empty needle matches nothing.
std::vector<TextRange> findAll(std::string_view text, const Needle& needle);
std::optional<TextRange> findFirst(std::string_view text, const Needle& needle);
// The match that starts last, as a backwards search finds it ("aa" in "aaa" is at 1).
std::optional<TextRange> findLast(std::string_view text, const Needle& needle);

// `text` with each of the ordered, disjoint `ranges` replaced by `replacement`.
std::string replaceRanges(std::string_view text, std::span<const TextRange> ranges,
                          std::string_view replacement);

}  // namespace tavix::text
