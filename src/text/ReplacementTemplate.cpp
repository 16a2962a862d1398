#include "text/ReplacementTemplate.hpp"

#include <unicode/regex.h>

#include "text/Utf.hpp"

namespace tavix::text {
namespace {

bool isAsciiDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Goes through `pieces` for the matcher's current match: `literal` is given
// each literal, `span` the start and length (in the input's code units) of each
// group that took part in the match.
template <class Pieces, class AppendLiteral, class AppendSpan>
void expand(const Pieces& pieces, const icu::RegexMatcher& matcher, AppendLiteral&& literal,
            AppendSpan&& span) {
    for (const auto& piece : pieces) {
        if (piece.index() == 0) {
            literal(std::get<0>(piece));
            continue;
        }
        const std::int32_t group = std::get<1>(piece);
        UErrorCode status = U_ZERO_ERROR;
        const std::int64_t start = matcher.start64(group, status);
        const std::int64_t end = matcher.end64(group, status);
        if (U_FAILURE(status) || start < 0) continue;  // the group took no part
        span(start, end - start);
    }
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
        pieces_, matcher, [&](const Literal& literal) { out.append(literal.utf16); },
        [&](std::int64_t start, std::int64_t length) {
            out.append(input, static_cast<std::int32_t>(start), static_cast<std::int32_t>(length));
        });
}

void ReplacementTemplate::appendExpansion(const icu::RegexMatcher& matcher, std::string_view input,
                                          std::string& out) const {
    expand(
        pieces_, matcher, [&](const Literal& literal) { out.append(literal.utf8); },
        [&](std::int64_t start, std::int64_t length) {
            out.append(input.substr(static_cast<std::size_t>(start),
                                    static_cast<std::size_t>(length)));
        });
}

}  // namespace tavix::text
