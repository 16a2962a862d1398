#pragma once

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace tavix::text {

// The replacement of a regular-expression step, read once per pattern:
// "$0" is the whole match and "$1", "$2" … the capture groups (the longest run
// of digits that names an existing group, so "$12" is group 1 then "2" in a
// pattern with fewer than 12 groups); a backslash takes the next character
// literally ("\$", "\\"); a "$" not followed by a digit and a final lone
// backslash stand for themselves. A group that participated in no part of the
// match contributes nothing.
class ReplacementTemplate {
public:
    // Nothing when the template names a group the pattern doesn't have.
    static std::optional<ReplacementTemplate> parse(const icu::UnicodeString& text,
                                                    std::int32_t groupCount);

    // Appends the replacement for the matcher's current match in `input`.
    void appendExpansion(const icu::RegexMatcher& matcher, const icu::UnicodeString& input,
                         icu::UnicodeString& out) const;
    // The same in UTF-8, for a matcher whose indexes are byte offsets of
    // `input`: one over an ASCII text.
    void appendExpansion(const icu::RegexMatcher& matcher, std::string_view input,
                         std::string& out) const;
    // The same for a match whose groups' spans (start and end byte offsets in
    // `input`, [0] the whole match) are given, each having taken part.
    void appendExpansion(std::span<const std::pair<std::size_t, std::size_t>> groups,
                         std::string_view input, std::string& out) const;

private:
    struct Literal {
        icu::UnicodeString utf16;
        std::string utf8;
    };
    using Piece = std::variant<Literal, std::int32_t>;  // literal or group number
    std::vector<Piece> pieces_;
};

}  // namespace tavix::text
