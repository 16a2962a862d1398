#include "text/ReplacementTemplate.hpp"

#include <unicode/regex.h>

#include "text/Utf.hpp"

namespace tavix::text {
namespace {

bool isAsciiDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Goes through `pieces` for the current match: `literal` is given each
// literal, `span` the start and length (in the input's code units) of each
// group that took part in the match, which `groupAt(group, start, end)` gives.
template <class Pieces, class GroupAt, class AppendLiteral, class AppendSpan>
void expand(const Pieces& pieces, GroupAt&& groupAt, AppendLiteral&& literal,
            AppendSpan&& span) {
    for (const auto& piece : pieces) {
        if (piece.index() == 0) {
            literal(std::get<0>(piece));
            continue;
        }
        std::int64_t start = -1;
        std::int64_t end = -1;
        if (!groupAt(std::get<1>(piece), start, end)) continue;  // the group took no part
        span(start, end - start);
    }
}

template <class Pieces, class GroupAt>
void appendUtf8(const Pieces& pieces, GroupAt&& groupAt, std::string_view input, std::string& out) {
    expand(
        pieces, groupAt, [&](const auto& literal) { out.append(literal.utf8); },
        [&](std::int64_t start, std::int64_t length) {
            out.append(input.substr(static_cast<std::size_t>(start),
                                    static_cast<std::size_t>(length)));
        });
}

// The matcher's group: false when it took no part in the match.
auto groupOf(const icu::RegexMatcher& matcher) {
    return [&matcher](std::int32_t group, std::int64_t& start, std::int64_t& end) {
        UErrorCode status = U_ZERO_ERROR;
        start = matcher.start64(group, status);
        end = matcher.end64(group, status);
        return U_SUCCESS(status) && start >= 0;
    };
}

}  // namespace

std::optional<ReplacementTemplate> ReplacementTemplate::parse(const icu::UnicodeString& text,
                                                              std::int32_t groupCount) {
    ReplacementTemplate result;
    icu::UnicodeString literal;
    const std::int32_t length = text.length();
    std::int32_t i = 0;
    while (i < length) {
        const char16_t c = text.charAt(i);
        if (c == u'\\' && i + 1 < length) {
            const UChar32 escaped = text.char32At(i + 1);
            literal.append(escaped);
            i += 1 + U16_LENGTH(escaped);
        } else if (c == u'$' && i + 1 < length && isAsciiDigit(text.charAt(i + 1))) {
            std::int32_t group = text.charAt(i + 1) - u'0';
            if (group > groupCount) return std::nullopt;
            i += 2;
            while (i < length && isAsciiDigit(text.charAt(i))) {
                const std::int32_t longer = group * 10 + (text.charAt(i) - u'0');
                if (longer > groupCount) break;
                group = longer;
                ++i;
            }
            if (!literal.isEmpty())
                result.pieces_.emplace_back(std::in_place_index<0>,
                                            Literal{literal, toUtf8(literal)});
            literal.remove();
            result.pieces_.emplace_back(std::in_place_index<1>, group);
        } else {
            literal.append(c);
            ++i;
        }
    }
    if (!literal.isEmpty())
        result.pieces_.emplace_back(std::in_place_index<0>, Literal{literal, toUtf8(literal)});
    return result;
}

void ReplacementTemplate::appendExpansion(const icu::RegexMatcher& matcher,
                                          const icu::UnicodeString& input,
                                          icu::UnicodeString& out) const {
    expand(
        pieces_, groupOf(matcher), [&](const Literal& literal) { out.append(literal.utf16); },
        [&](std::int64_t start, std::int64_t length) {
            out.append(input, static_cast<std::int32_t>(start), static_cast<std::int32_t>(length));
        });
}

void ReplacementTemplate::appendExpansion(const icu::RegexMatcher& matcher, std::string_view input,
                                          std::string& out) const {
    appendUtf8(pieces_, groupOf(matcher), input, out);
}

void ReplacementTemplate::appendExpansion(std::span<const std::pair<std::size_t, std::size_t>> groups,
                                          std::string_view input, std::string& out) const {
    const auto groupAt = [&](std::int32_t group, std::int64_t& start, std::int64_t& end) {
        start = static_cast<std::int64_t>(groups[static_cast<std::size_t>(group)].first);
        end = static_cast<std::int64_t>(groups[static_cast<std::size_t>(group)].second);
        return true;
    };
    appendUtf8(pieces_, groupAt, input, out);
}

}  // namespace tavix::text
