#include "text/RegexReplace.hpp"

#include <unicode/regex.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>
#include <unicode/utf8.h>

#include <memory>
#include <type_traits>

#include "text/CaseFreePattern.hpp"
#include "text/ReplacementTemplate.hpp"
#include "text/SimplePattern.hpp"
#include "text/Utf.hpp"

namespace tavix::text {

struct RegexReplacer::Compiled {
    // The name being replaced, in UTF-16, and its replacement: kept from name to
    // name so that their buffers are reused. The matcher keeps looking at
    // `input` between calls; `input` outlives it.
    icu::UnicodeString input;
    icu::UnicodeString out;
    // ICU's pattern and matcher, null until a name needs them when `simple` is set.
    std::unique_ptr<icu::RegexPattern> pattern;
    std::unique_ptr<icu::RegexMatcher> matcher;
    ReplacementTemplate replacement;
    int failures = 0;  // names that ran out of time or stack
    // The pattern read without ICU, when it is simple enough (SimplePattern),
    // and the spans of its last match.
    std::optional<SimplePattern> simple;
    SimplePattern::Spans spans;
    // The pattern and its flags, for ICU to compile when first needed.
    icu::UnicodeString text;
    std::uint32_t flags = 0;
    bool unusable = false;  // ICU didn't compile it as SimplePattern read it
};

namespace {

// The longest ASCII name a SimplePattern matches in ICU's stead. A pattern it
// takes runs in steps linear in the name's length from each position, so ICU
// can't run out of time on a name this short (the worst, "a+b" over 255 a's,
// takes a fraction of kRegexTimeLimit); longer ones go to ICU, whose count of
// steps decides.
constexpr std::size_t kSimpleLongest = 255;

// Whether a SimplePattern finds in `text` (well-formed UTF-8) what ICU finds:
// an ASCII text always; another when none of its characters beyond ASCII can
// match: the pattern folds no case and, if it has a \d, the text has no digit
// of another script.
bool matchesSimply(const SimplePattern& pattern, std::string_view text) {
    if (text.size() > kSimpleLongest) return false;
    if (isAscii(text)) return true;
    if (pattern.foldsCase()) return false;
    if (!pattern.hasDigitClass()) return true;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    for (std::int32_t i = 0; i < length;) {
        UChar32 c = 0;
        U8_NEXT(bytes, i, length, c);
        if (c >= 0x80 && u_charType(c) == U_DECIMAL_DIGIT_NUMBER) return false;
    }
    return true;
}

// `text` (well-formed UTF-8) into `out`, reusing its buffer.
void assignUtf16(std::string_view text, icu::UnicodeString& out) {
    // A UTF-8 text never has more UTF-16 units than bytes.
    const auto capacity = static_cast<std::int32_t>(text.size());
    char16_t* units = out.getBuffer(capacity);
    if (units == nullptr) {
        out = toUtf16(text);
        return;
    }
    std::int32_t length = 0;
    if (isAscii(text)) {
        for (std::int32_t i = 0; i < capacity; ++i) units[i] = static_cast<char16_t>(text[i]);
        length = capacity;
    } else {
        UErrorCode status = U_ZERO_ERROR;
        u_strFromUTF8WithSub(units, capacity, &length, text.data(), capacity, 0xFFFD, nullptr,
                             &status);
        if (U_FAILURE(status)) length = 0;
    }
    out.releaseBuffer(length);
}

}  // namespace

RegexReplacer::RegexReplacer(std::unique_ptr<Compiled> compiled) : compiled_(std::move(compiled)) {}

RegexReplacer::~RegexReplacer() {
    // The matcher refers to the pattern: it goes first.
    if (compiled_) compiled_->matcher.reset();
}

namespace {

// ICU's pattern and its matcher, with the limits of one name's evaluation;
// nothing when the pattern doesn't compile.
bool compileWithIcu(const icu::UnicodeString& text, std::uint32_t flags,
                    std::unique_ptr<icu::RegexPattern>& pattern,
                    std::unique_ptr<icu::RegexMatcher>& matcher) {
    UErrorCode status = U_ZERO_ERROR;
    UParseError parseError;
    pattern.reset(icu::RegexPattern::compile(text, flags, parseError, status));
    if (U_FAILURE(status) || !pattern) return false;
    matcher.reset(pattern->matcher(status));
    if (U_FAILURE(status) || !matcher) return false;
    matcher->setTimeLimit(kRegexTimeLimit, status);
    matcher->setStackLimit(kRegexStackLimit, status);
    return U_SUCCESS(status);
}

}  // namespace

std::unique_ptr<RegexReplacer> RegexReplacer::make(std::string_view pattern,
                                                   std::string_view replacement,
                                                   bool caseSensitive) {
    auto parts = std::make_unique<Compiled>();
    // Folding case costs ICU a slower comparison of every literal it meets,
    // even one without letters; it is left out where it can't change a match.
    const bool fold = !caseSensitive && !matchesAlikeInEveryCase(pattern);
    parts->flags = fold ? UREGEX_CASE_INSENSITIVE : 0;
    parts->text = toUtf16(pattern);
    // A pattern SimplePattern reads is one ICU compiles, with as many groups
    // (the differential test of the replacer holds both to it): compiling it,
    // which costs more than replacing in thousands of names, waits for a name
    // SimplePattern can't take.
    parts->simple = SimplePattern::parse(pattern, fold);
    std::int32_t groups = 0;
    if (parts->simple) {
        groups = static_cast<std::int32_t>(parts->simple->groupCount());
    } else {
        if (!compileWithIcu(parts->text, parts->flags, parts->pattern, parts->matcher))
            return nullptr;
        groups = parts->matcher->groupCount();
    }
    auto expansion = ReplacementTemplate::parse(toUtf16(replacement), groups);
    if (!expansion) return nullptr;
    parts->replacement = std::move(*expansion);
    return std::unique_ptr<RegexReplacer>(new RegexReplacer(std::move(parts)));
}

bool RegexReplacer::gaveUp() const {
    return compiled_->failures >= kRegexGiveUpAfter;
}

bool RegexReplacer::matchesWithoutIcu() const {
    return compiled_->simple.has_value();
}

namespace {

// Every match in the matcher's text replaced, built in `out`; false when the
// evaluation ran out of time or stack. `Text` is the matcher's text in the
// form `out` takes: the UTF-16 name, or an ASCII name's own bytes, whose
// offsets are the same.
template <class Text, class Out>
bool replaceMatches(icu::RegexMatcher& matcher, const ReplacementTemplate& replacement,
                    const Text& input, Out& out, bool& matched) {
    UErrorCode status = U_ZERO_ERROR;
    std::int32_t kept = 0;
    const auto slice = [&](std::int32_t from, std::int32_t to) {
        if constexpr (std::is_same_v<Out, std::string>) {
            out.append(
                input.substr(static_cast<std::size_t>(from), static_cast<std::size_t>(to - from)));
        } else {
            out.append(input, from, to - from);
        }
    };
    while (matcher.find(status) && U_SUCCESS(status)) {
        const std::int32_t start = matcher.start(status);
        const std::int32_t end = matcher.end(status);
        if (U_FAILURE(status)) break;
        slice(kept, start);
        replacement.appendExpansion(matcher, input, out);
        kept = end;
        matched = true;
    }
    if (U_FAILURE(status)) return false;
    if (matched) slice(kept, static_cast<std::int32_t>(input.length()));
    return true;
}

}  // namespace

Replaced RegexReplacer::replaceAll(std::string_view text, std::string& out) {
    if (gaveUp()) return Replaced::unfinished;
    Compiled& parts = *compiled_;
    if (parts.simple && matchesSimply(*parts.simple, text)) {
        const SimplePattern& pattern = *parts.simple;
        SimplePattern::Spans& spans = parts.spans;
        std::size_t kept = 0;
        bool matched = false;
        // Every match is at least one character long: the next starts at its end.
        while (pattern.find(text, kept, spans)) {
            if (!matched) out.clear();
            out.append(text.substr(kept, spans[0].first - kept));
            parts.replacement.appendExpansion(spans, text, out);
            kept = spans[0].second;
            matched = true;
        }
        if (!matched) return Replaced::none;
        out.append(text.substr(kept));
        return Replaced::some;
    }
    if (!parts.matcher) {
        if (parts.unusable) return Replaced::none;
        // Should ICU ever read the pattern otherwise than SimplePattern did, it
        // is left alone from here on, as one that doesn't compile is.
        if (!compileWithIcu(parts.text, parts.flags, parts.pattern, parts.matcher) ||
            parts.matcher->groupCount() != static_cast<std::int32_t>(parts.simple->groupCount())) {
            parts.matcher.reset();
            parts.unusable = true;
            return Replaced::none;
        }
    }
    icu::UnicodeString& input = parts.input;
    assignUtf16(text, input);
    icu::RegexMatcher& matcher = *parts.matcher;
    // Resetting also restarts the time limit's count for this name.
    matcher.reset(input);
    bool matched = false;
    bool finished = false;
    // An ASCII name's UTF-16 offsets are its byte offsets: its replacement is
    // built from its own bytes, with no UTF-16 copy to convert back.
    if (input.length() == static_cast<std::int32_t>(text.size())) {
        out.clear();
        finished = replaceMatches(matcher, parts.replacement, text, out, matched);
    } else {
        icu::UnicodeString& wide = parts.out;
        wide.remove();
        finished = replaceMatches(matcher, parts.replacement, input, wide, matched);
        if (finished && matched) out = toUtf8(wide);
    }
    if (!finished) {  // out of time or stack
        ++parts.failures;
        return Replaced::unfinished;
    }
    return matched ? Replaced::some : Replaced::none;
}

}  // namespace tavix::text
