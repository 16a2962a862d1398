#include <gtest/gtest.h>

#include <unicode/regex.h>

#include <memory>
#include <optional>
#include <random>
#include <ranges>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "text/CaseFreePattern.hpp"
#include "text/RegexReplace.hpp"
#include "text/SimplePattern.hpp"
#include "text/Utf.hpp"

namespace tavix::text {
namespace {

// "a|b|c" as {"a", "b", "c"}.
std::vector<std::string> split(std::string_view text) {
    std::vector<std::string> out;
    for (const auto piece : std::views::split(text, '|'))
        out.emplace_back(piece.begin(), piece.end());
    return out;
}

// ICU's own replace over a UTF-16 copy of the name (the pattern compiled to
// fold case whenever the step isn't case-sensitive); nothing when the
// evaluation runs out of time or stack (which ICU's replaceAll passes over).
std::optional<std::string> referenceReplace(const icu::RegexPattern& pattern,
                                            const std::string& name,
                                            const std::string& replacement) {
    const icu::UnicodeString input = toUtf16(name);
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<icu::RegexMatcher> matcher(pattern.matcher(input, status));
    matcher->setTimeLimit(kRegexTimeLimit, status);
    matcher->setStackLimit(kRegexStackLimit, status);
    const icu::UnicodeString units = toUtf16(replacement);
    icu::UnicodeString out;
    while (matcher->find(status) && U_SUCCESS(status))
        matcher->appendReplacement(out, units, status);
    if (U_FAILURE(status)) return std::nullopt;
    return toUtf8(matcher->appendTail(out));
}

// The replacer's result in the reference's terms, written over a buffer that
// held another text.
std::optional<std::string> replaced(RegexReplacer& replacer, const std::string& name) {
    std::string out = "stale text";
    const Replaced result = replacer.replaceAll(name, out);
    if (result == Replaced::unfinished) return std::nullopt;
    return result == Replaced::some ? out : name;
}

// Letters with case partners outside ASCII (Kelvin sign, long s, sharp s,
// dotted and dotless i, final sigma, a ligature), marks, digits of other
// scripts, spaces and punctuation.
const std::vector<std::string> nameParts = split(
    "a|A|b|B|k|K|s|S|i|I|z|Z|0|1|2|9| |  "
    "|_|-|.|!|(|)|$|\\|\u00e9|\u00c9|e\u0301|\u00df|\u1e9e|\u212a|\u017f|\u0130|\u0131|\u03c3|"
    "\u03a3|\u03c2|\ufb00|\u0661|\u3000|\u00a0|\t|\u65e5|\U0001F44D|\U0001F3FD|IMG_|2019|0101|"
    "Photo |\u00e9t\u00e9|Stra\u00dfe");

// Pattern pieces: literals, sets, classes, properties, anchors, inline flags.
const std::vector<std::string> patternAtoms = split(
    "a|A|k|s|S|ss|i|\u00e9|\u00df|\u212a|\u03c3|\\d|\\D|\\s|\\S|\\w|\\W|\\b|.|[ "
    "_]|[0-9]|[a-z]|[A-Z]|[ -~]|[!-/]|[\\[-`]|[^ "
    "]|[^0-9]|[_-]|\\p{L}|\\p{Lu}|\\p{Ll}|[[:upper:]]|\\x41|\\u00e9|\\Qa.\\E|_| "
    "|-|\\.|!|\\$|\\(|\\d{4}|\\d{2}|^|$|(?i)|(?-i)|\\1|\\N{LATIN SMALL LETTER SHARP "
    "S}|\\h|[\\d_]|[ -/]");
const std::vector<std::string> quantifiers = split("|||+|*|?|{2}|{1,3}|+?");

// Names mostly of ASCII and the pieces of patterns that may be matched without
// ICU (SimplePattern), and some near them that may not; beyond ASCII, what
// \d or folded letters match: digits of other scripts, the Kelvin sign, the
// long s, sharp s, a ligature.
const std::vector<std::string> simpleNameParts = split(
    "a|A|b|k|K|s|S|z|Z|0|1|2|9| |  |_|-|.|!|(|)|$|\\|[|]|{|}|^|#|:|&|IMG_|2019|0101|Photo |Photo "
    "|2019|_|\u00e9|e\u0301|\u0661|\uff15|\u212a|\u017f|\u00df|\ufb06|\U0001F44D");
const std::vector<std::string> simpleAtoms = split(
    "a|A|k|s|S|z|\\d|[ _]|[0-9]|[a-z]|[A-Z]|[aeiou]|_| "
    "|-|#|:|&|\\.|!|\\$|\\(|\\[|\\{|\\\\|\\-|[\\d_]|[ -/]|[!-/]|[;-@]|[\\]\\[]|[_-]|[#:&]|[ "
    "\\-]|\\:|\\#|[Z-a]|[{}]|]|}");
const std::vector<std::string> simpleQuantifiers =
    split("|||+|*|?|{2}|{1,3}|{0}|{2,}|{0,2}|+?|{,2}");

class Generator {
public:
    // `simple`: names mostly of ASCII and patterns of the pieces SimplePattern reads.
    Generator(unsigned seed, bool simple) : random_(seed), simple_(simple) {}

    std::string name() {
        std::string out;
        for (int n = below(12); n > 0; --n) out += pick(simple_ ? simpleNameParts : nameParts);
        return out;
    }

    std::string pattern() {
        const auto& atoms = simple_ ? simpleAtoms : patternAtoms;
        const auto& counts = simple_ ? simpleQuantifiers : quantifiers;
        std::string out;
        groups_ = 0;
        for (int n = 1 + below(4); n > 0; --n) {
            if (below(4) != 0) {
                out += pick(atoms) + pick(counts);
            } else if (simple_) {
                out += "(" + pick(atoms) + pick(counts) + pick(atoms) + ")";
                if (below(4) == 0) out += pick(counts);
                ++groups_;
            } else {
                out += "(" + pick(atoms) + pick(atoms) + ")" + pick(counts);
                ++groups_;
            }
            if (below(simple_ ? 30 : 8) == 0) out += "|";
        }
        return out;
    }

    // Literal text, group numbers and escaped "$"s: a group number followed
    // by a digit reads as the longest number of a group that exists.
    std::string replacement() {
        std::string out;
        for (int n = below(4); n > 0; --n)
            out += below(3) == 0 ? pick(literals) : "$" + std::to_string(below(groups_ + 1));
        return out;
    }

private:
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    const std::string& pick(const std::vector<std::string>& from) {
        return from[static_cast<std::size_t>(below(static_cast<int>(from.size())))];
    }
    const std::vector<std::string> literals = {"-", "x", "\u00e9", " ", "\\$", "0", "1"};
    std::mt19937 random_;
    bool simple_;
    int groups_ = 0;
};

// The replacer gives what the straightforward UTF-16 path gives, time-outs
// included, for every generated pattern, both with and without case: patterns
// of every kind over names of every script, and patterns SimplePattern may
// read over ASCII names, up to and past the longest it matches without ICU.
TEST(RegexReplace, GivesWhatTheUtf16PathGives) {
    const std::vector<std::pair<std::string, std::string>> fixed = {
        {"(\\d{4})(\\d{2})(\\d{2})", "$1-$2-$3"}, {"[ _]+", "-"}, {"(a+)+$|!", "Z"},
        {"(.)\\1", "<$1>"}, {"[ -~]+", "."}, {"\\s+", "_"},
        // Without ICU: the most steps a simple pattern takes on a name of "a"s.
        {"a+b", "<$0>"}, {"(A*)(k?)(B+)!", "$3$2$1"}};
    std::size_t compared = 0, timeouts = 0, caseFree = 0, withoutIcu = 0;
    for (unsigned seed = 1; seed <= 8; ++seed) {
        const bool simple = seed > 4;
        Generator generate(seed, simple);
        std::vector<std::string> names;
        for (int i = 0; i < 60; ++i) names.push_back(generate.name());
        names.push_back(std::string(29, 'a') + "!1");
        names.push_back("IMG_20190101_000000");
        names.push_back("\u0661\uff15");  // nothing but digits of other scripts
        for (const std::size_t length : {254, 255, 256, 2000}) {
            if (!simple) break;
            names.push_back(std::string(length, 'a'));
            names.push_back(std::string(length - 4, 'A') + "kBB!");
        }
        for (std::size_t p = 0; p < 150 + fixed.size(); ++p) {
            // Drawn for the fixed patterns too, so the stream doesn't depend on them.
            std::string pattern = generate.pattern();
            std::string replacement;
            if (p < fixed.size()) std::tie(pattern, replacement) = fixed[p];
            else replacement = generate.replacement();
            caseFree += matchesAlikeInEveryCase(pattern);
            for (const bool caseSensitive : {false, true}) {
                UErrorCode status = U_ZERO_ERROR;
                UParseError error;
                const std::unique_ptr<icu::RegexPattern> reference(icu::RegexPattern::compile(
                    toUtf16(pattern), caseSensitive ? 0 : UREGEX_CASE_INSENSITIVE, error, status));
                auto replacer = RegexReplacer::make(pattern, replacement, caseSensitive);
                ASSERT_EQ(replacer != nullptr, U_SUCCESS(status) && reference) << pattern;
                if (!replacer) continue;
                withoutIcu += replacer->matchesWithoutIcu();
                for (const std::string& name : names) {
                    if (replacer->gaveUp())
                        replacer = RegexReplacer::make(pattern, replacement, caseSensitive);
                    const auto expected = referenceReplace(*reference, name, replacement);
                    EXPECT_EQ(replaced(*replacer, name), expected)
                        << "pattern " << pattern << " (case-sensitive " << caseSensitive
                        << ") template " << replacement << " name " << name;
                    ++compared;
                    timeouts += !expected;
                }
            }
        }
    }
    // The corpus reaches what it is meant to: time-outs, case-free patterns and
    // patterns matched without ICU.
    EXPECT_GT(timeouts, 0u);
    EXPECT_GT(caseFree, 100u);
    EXPECT_GT(withoutIcu, 300u);
    EXPECT_GT(compared, 120000u);
}

// Patterns the case-insensitive flag can't change, and patterns it can (or
// may: the test is conservative).
TEST(RegexReplace, KnowsWhichPatternsMatchAlikeInEveryCase) {
    for (const char* alike : {"(\\d{4})(\\d{2})(\\d{2})", "[ _]+", "\\s+", "[0-9]+", "[!-/]",
                              "\\.\\-\\$", "^\\d*$", "[;-@]"}) {
        EXPECT_TRUE(matchesAlikeInEveryCase(alike)) << alike;
    }
    for (const char* folded :
         {"a", "[a-z]", "[ -~]", "(.)\\1", "(.)(.)(.)(.)(.)(.)(.)(.)(.)\\9", "\\p{Lu}", "\\x41",
          "(?i)1", "\u00e9", "\\w", "[[:digit:]]", "\\Q1\\E", "[_-]", "[\\!-~]", "\\", "\\u0031",
          "\\N{DIGIT ONE}"}) {
        EXPECT_FALSE(matchesAlikeInEveryCase(folded)) << folded;
    }
}

// The patterns people use most are matched without ICU; one that may need to
// backtrack, may match nothing, or that this reading doesn't know is ICU's.
TEST(SimplePattern, TakesOnlyPatternsThatNeedNoBacktracking) {
    const std::pair<std::string, bool> cases[] = {
        {"(\\d{4})(\\d{2})(\\d{2})", true}, {"[ _]+", true}, {"IMG_", true}, {"a+b", true},
        {"x{2,}", true}, {"a*a", false}, {"xa*a", false}, {"(a)+", false}, {"((a))", false}, {"(?:a)", false},
        {"a|b", false}, {"()", false}, {"a?", false}, {"(a", false}, {"a)", false}, {"", false}};
    for (const auto& [pattern, taken] : cases)
        EXPECT_EQ(SimplePattern::parse(pattern, false).has_value(), taken) << pattern;
}

}  // namespace
}  // namespace tavix::text
