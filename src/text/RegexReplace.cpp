#include "text/RegexReplace.hpp"

#include <unicode/regex.h>

#include <memory>

#include "text/ReplacementTemplate.hpp"
#include "text/Utf.hpp"

namespace tavix::text {
namespace {

// The last pattern a thread compiled, with its matcher and template, since
// the plan applies one step to many names in a row. A pattern that failed to
// compile is remembered too (a null `pattern`).
struct CompiledRegex {
    icu::UnicodeString idle;  // what the matcher looks at between calls; outlives it
    std::string source;
    bool caseSensitive = false;
    bool compiled = false;
    std::unique_ptr<icu::RegexPattern> pattern;
    std::unique_ptr<icu::RegexMatcher> matcher;
    std::string replacementSource;
    bool replacementParsed = false;
    std::optional<ReplacementTemplate> replacement;

    void compile(std::string_view text, bool isCaseSensitive) {
        if (compiled && source == text && caseSensitive == isCaseSensitive) return;
        matcher.reset();
        pattern.reset();
        replacementParsed = false;
        source.assign(text);
        caseSensitive = isCaseSensitive;
        compiled = true;

        UErrorCode status = U_ZERO_ERROR;
        UParseError parseError;
        const std::uint32_t flags = caseSensitive ? 0 : UREGEX_CASE_INSENSITIVE;
        pattern.reset(icu::RegexPattern::compile(toUtf16(text), flags, parseError, status));
        if (U_SUCCESS(status) && pattern) matcher.reset(pattern->matcher(status));
        if (U_SUCCESS(status) && matcher) {
            matcher->setTimeLimit(kRegexTimeLimit, status);
            matcher->setStackLimit(kRegexStackLimit, status);
        }
        if (U_FAILURE(status) || !matcher) {
            matcher.reset();
            pattern.reset();
        }
    }

    const std::optional<ReplacementTemplate>& parseReplacement(std::string_view text) {
        if (!replacementParsed || replacementSource != text) {
            replacementSource.assign(text);
            replacementParsed = true;
            replacement = ReplacementTemplate::parse(toUtf16(text), matcher->groupCount());
        }
        return replacement;
    }
};

}  // namespace

std::optional<std::string> regexReplaceAll(std::string_view text, std::string_view pattern,
                                           std::string_view replacement, bool caseSensitive) {
    thread_local CompiledRegex regex;
    regex.compile(pattern, caseSensitive);
    if (!regex.matcher) return std::nullopt;
    const std::optional<ReplacementTemplate>& expansion = regex.parseReplacement(replacement);
    if (!expansion) return std::nullopt;

    const icu::UnicodeString input = toUtf16(text);
    icu::RegexMatcher& matcher = *regex.matcher;
    // Resetting also restarts the time limit's count for this name.
    matcher.reset(input);
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString out;
    std::int32_t kept = 0;
    bool matched = false;
    while (matcher.find(status) && U_SUCCESS(status)) {
        const std::int32_t start = matcher.start(status);
        const std::int32_t end = matcher.end(status);
        if (U_FAILURE(status)) break;
        out.append(input, kept, start - kept);
        expansion->appendExpansion(matcher, input, out);
        kept = end;
        matched = true;
    }
    matcher.reset(regex.idle);
    if (U_FAILURE(status)) return std::nullopt;  // out of time or stack
    if (!matched) return std::string(text);
    out.append(input, kept, input.length() - kept);
    return toUtf8(out);
}

}  // namespace tavix::text
