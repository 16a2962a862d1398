#include "text/RegexReplace.hpp"

#include <unicode/regex.h>

#include <memory>

#include "text/ReplacementTemplate.hpp"
#include "text/Utf.hpp"

namespace tavix::text {

struct RegexReplacer::Compiled {
    icu::UnicodeString idle;  // what the matcher looks at between calls; outlives it
    std::unique_ptr<icu::RegexPattern> pattern;
    std::unique_ptr<icu::RegexMatcher> matcher;
    ReplacementTemplate replacement;
    int failures = 0;  // names that ran out of time or stack
};

RegexReplacer::RegexReplacer(std::unique_ptr<Compiled> compiled)
    : compiled_(std::move(compiled)) {}

RegexReplacer::~RegexReplacer() {
    // The matcher refers to the pattern: it goes first.
    if (compiled_) compiled_->matcher.reset();
}

std::unique_ptr<RegexReplacer> RegexReplacer::make(std::string_view pattern,
                                                   std::string_view replacement,
                                                   bool caseSensitive) {
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError;
    const std::uint32_t flags = caseSensitive ? 0 : UREGEX_CASE_INSENSITIVE;
    std::unique_ptr<icu::RegexPattern> compiled(
        icu::RegexPattern::compile(toUtf16(pattern), flags, parseError, status));
    if (U_FAILURE(status) || !compiled) return nullptr;
    std::unique_ptr<icu::RegexMatcher> matcher(compiled->matcher(status));
    if (U_FAILURE(status) || !matcher) return nullptr;
    matcher->setTimeLimit(kRegexTimeLimit, status);
    matcher->setStackLimit(kRegexStackLimit, status);
    if (U_FAILURE(status)) return nullptr;
    auto expansion = ReplacementTemplate::parse(toUtf16(replacement), matcher->groupCount());
    if (!expansion) return nullptr;

    auto parts = std::make_unique<Compiled>();
    parts->pattern = std::move(compiled);
    parts->matcher = std::move(matcher);
    parts->replacement = std::move(*expansion);
    return std::unique_ptr<RegexReplacer>(new RegexReplacer(std::move(parts)));
}

bool RegexReplacer::gaveUp() const {
    return compiled_->failures >= kRegexGiveUpAfter;
}

std::optional<std::string> RegexReplacer::replaceAll(std::string_view text) {
    if (gaveUp()) return std::nullopt;
    const icu::UnicodeString input = toUtf16(text);
    icu::RegexMatcher& matcher = *compiled_->matcher;
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
        compiled_->replacement.appendExpansion(matcher, input, out);
        kept = end;
        matched = true;
    }
    matcher.reset(compiled_->idle);
    if (U_FAILURE(status)) {  // out of time or stack
        ++compiled_->failures;
        return std::nullopt;
    }
    if (!matched) return std::string(text);
    out.append(input, kept, input.length() - kept);
    return toUtf8(out);
}

}  // namespace tavix::text
