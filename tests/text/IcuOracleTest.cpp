// The text functions take shortcuts for ASCII and for scalars below U+0300;
// each shortcut must give exactly what ICU's general path gives. These tests
// compare them with ICU itself, exhaustively over short byte patterns placed
// around the eight-byte word boundaries, and over seeded random texts.
#include <gtest/gtest.h>
#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>
#include <unicode/utext.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "text/CanonicalText.hpp"
#include "text/CaseFolding.hpp"
#include "text/CaseMapping.hpp"
#include "text/Graphemes.hpp"
#include "text/Utf.hpp"

namespace tavix::text {
namespace {

std::string hex(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) out += {"0123456789ABCDEF"[c >> 4], "0123456789ABCDEF"[c & 15]};
    return out;
}

void expectUtfAgreesWithIcu(const std::string& bytes) {
    // ICU's reading: each ill-formed sequence replaced by U+FFFD, and how many were.
    std::vector<UChar> units(bytes.size() + 1);
    std::int32_t length = 0, substitutions = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(units.data(), static_cast<std::int32_t>(units.size()), &length,
                         bytes.data(), static_cast<std::int32_t>(bytes.size()), 0xFFFD,
                         &substitutions, &status);
    std::string icuText;
    icu::UnicodeString(units.data(), length).toUTF8String(icuText);
    const Utf8Shape found = shape(bytes);
    const bool ascii = std::ranges::all_of(bytes, [](unsigned char c) { return c < 0x80; });
    bool simple = substitutions == 0;
    const icu::UnicodeString wide = icu::UnicodeString::fromUTF8(bytes);
    std::vector<UChar32> expected;  // ICU's code points
    for (std::int32_t i = 0; i < wide.length(); i = wide.moveIndex32(i, 1)) {
        expected.push_back(wide.char32At(i));
        simple = simple && wide.char32At(i) < 0x300;
    }
    ASSERT_EQ(found.valid, substitutions == 0) << hex(bytes);
    ASSERT_EQ(found.ascii, ascii) << hex(bytes);
    ASSERT_TRUE(!found.valid || found.simple == simple) << hex(bytes);
    ASSERT_EQ(isAscii(bytes), ascii) << hex(bytes);
    ASSERT_EQ(isValidUtf8(bytes), found.valid) << hex(bytes);
    ASSERT_EQ(validUtf8(bytes), icuText) << hex(bytes);
    if (!found.valid) return;
    ASSERT_EQ(toUtf8(toUtf16(bytes)), bytes) << hex(bytes);
    ASSERT_TRUE(toUtf16(bytes) == wide) << hex(bytes);
    // Scalars read forwards and backwards are ICU's code points.
    std::vector<UChar32> forwards, backwards;
    for (std::size_t i = 0; i < bytes.size();) forwards.push_back(nextScalar(bytes, i));
    for (std::size_t i = bytes.size(); i > 0;)
        backwards.insert(backwards.begin(), previousScalar(bytes, i));
    ASSERT_EQ(forwards, expected) << hex(bytes);
    ASSERT_EQ(backwards, expected) << hex(bytes);
    // The shortcuts below U+0100 and U+0300.
    std::string composed, lowerText;
    icu::Normalizer2::getNFCInstance(status)->normalize(wide, status).toUTF8String(composed);
    ASSERT_EQ(canonicalForm(bytes), composed) << hex(bytes);
    icu::UnicodeString lower = wide;
    ASSERT_EQ(lowercased(bytes), lower.toLower(icu::Locale::getRoot()).toUTF8String(lowerText))
        << hex(bytes);
}

TEST(IcuOracle, EveryTwoBytesAtEveryWordPositionReadAsIcuReadsThem) {
    // Two arbitrary bytes, and a lead byte with each possible continuation,
    // placed before, across and after an eight-byte boundary of ASCII.
    for (std::size_t at : {0u, 5u, 6u, 7u, 8u, 14u}) {
        for (unsigned pair = 0; pair < 0x10000; ++pair) {
            std::string bytes(16, 'a');
            bytes[at] = static_cast<char>(pair >> 8);
            bytes[at + 1] = static_cast<char>(pair & 0xFF);
            expectUtfAgreesWithIcu(bytes);
            expectUtfAgreesWithIcu(bytes.substr(0, at + 2));
        }
    }
}

// Random texts from bytes chosen to make sequences of every length, well and
// ill formed, and scalars on both sides of U+0300.
// Pieces: ASCII, then é ß İ ı ǅ U+02FF, marks, Σ, ẞ, ﬁ, ZWJ, ideographic space, a
// flag's half, an emoji, a skin tone, Hangul L and V.
std::string randomBytes(std::mt19937& random, bool wellFormed) {
    static const std::vector<std::string> pieces = {
        "a", "Z", " ", "\t", "\r", "\n", "\r\n", "(", "'", "-", "$", "~", "_", "0", "9",
        "\xC3\xA9", "\xC3\x9F", "\xC4\xB0", "\xC4\xB1", "\xC7\x85", "\xCB\xBF",
        "\xCC\x81", "\xCD\x85", "\xCE\xA3", "\xE1\xBA\x9E", "\xEF\xAC\x81",
        "\xE2\x80\x8D", "\xE3\x80\x80", "\xF0\x9F\x87\xAB", "\xF0\x9F\x91\x8D",
        "\xF0\x9F\x8F\xBD", "\xE1\x84\x80", "\xE1\x85\xA1"};
    static const std::vector<std::string> broken = {"\x80", "\xC0\xAF", "\xC3", "\xE0\x80\x80",
                                                    "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF",
                                                    "\xF0\x9F\x91"};
    std::string out;
    const int count = std::uniform_int_distribution<int>(0, 14)(random);
    for (int i = 0; i < count; ++i) {
        const bool breaks = !wellFormed && random() % 6 == 0;
        out += breaks ? broken[random() % broken.size()] : pieces[random() % pieces.size()];
    }
    return out;
}

std::string icuMapped(const std::string& text, int mapping) {
    icu::UnicodeString wide = icu::UnicodeString::fromUTF8(text);
    if (mapping == 0) wide.toLower(icu::Locale::getRoot());
    if (mapping == 1) wide.toUpper(icu::Locale::getRoot());
    if (mapping == 2) wide.toTitle(nullptr, icu::Locale::getRoot(), U_TITLECASE_WHOLE_STRING);
    std::string out;
    return wide.toUTF8String(out);
}

// Capitalized as described: each run of non-white-space titlecased on its own.
std::string icuCapitalized(const std::string& text) {
    const icu::UnicodeString wide = icu::UnicodeString::fromUTF8(text);
    std::string out, word;
    for (std::int32_t i = 0; i < wide.length(); i = wide.moveIndex32(i, 1)) {
        std::string scalar;
        icu::UnicodeString(wide.char32At(i)).toUTF8String(scalar);
        if (!u_isUWhiteSpace(wide.char32At(i))) {
            word += scalar;
            continue;
        }
        out += icuMapped(word, 2) + scalar;
        word.clear();
    }
    return out + icuMapped(word, 2);
}

// ICU's clusters over the bytes themselves, ill-formed ones included (each
// read as U+FFFD), as byte offsets.
std::vector<std::size_t> icuBoundaries(std::string_view text) {
    static const auto iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        return std::unique_ptr<icu::BreakIterator>(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    }();
    UErrorCode status = U_ZERO_ERROR;
    UText utext = UTEXT_INITIALIZER;
    utext_openUTF8(&utext, text.data(), static_cast<std::int64_t>(text.size()), &status);
    iterator->setText(&utext, status);
    std::vector<std::size_t> boundaries;
    for (std::int32_t at = iterator->first(); at != icu::BreakIterator::DONE; at = iterator->next())
        boundaries.push_back(static_cast<std::size_t>(at));
    utext_close(&utext);
    return boundaries;
}

// Cases and breaks `text` as ICU does.
void expectCasesAndBreaksAsIcu(const std::string& text) {
    ASSERT_EQ(lowercased(text), icuMapped(text, 0)) << hex(text);
    ASSERT_EQ(uppercased(text), icuMapped(text, 1)) << hex(text);
    ASSERT_EQ(capitalized(text), icuCapitalized(text)) << hex(text);
    ASSERT_EQ(graphemeBoundaries(text), icuBoundaries(text)) << hex(text);
}

TEST(IcuOracle, RandomTextsAgreeWithIcu) {
    std::mt19937 random(20261210);
    for (int round = 0; round < 20000; ++round) {
        const std::string any = randomBytes(random, false);
        ASSERT_NO_FATAL_FAILURE(expectUtfAgreesWithIcu(any));
        ASSERT_EQ(graphemeBoundaries(any), icuBoundaries(any)) << hex(any);
        ASSERT_NO_FATAL_FAILURE(expectCasesAndBreaksAsIcu(randomBytes(random, true)));
    }
}

TEST(IcuOracle, EveryAsciiPairCasesAndBreaksAsIcuDoes) {
    // The ASCII paths skip ICU altogether: every pair of ASCII characters, alone
    // and after a word, must come out as ICU makes it.
    for (int first = 0; first < 128; ++first) {
        for (int second = 0; second < 128; ++second) {
            const std::string pair{static_cast<char>(first), static_cast<char>(second)};
            for (const std::string& text : {pair, "ab " + pair + "Cd"}) {
                ASSERT_NO_FATAL_FAILURE(expectCasesAndBreaksAsIcu(text));
                // A view ends where it ends, whatever byte lies beyond it.
                const std::string followed = text + "\n";
                ASSERT_EQ(graphemeBoundaries(std::string_view(followed).substr(0, text.size())),
                          icuBoundaries(text))
                    << hex(text);
                // The first character uppercased after lowercasing the rest.
                std::string lower = icuMapped(text, 0);
                const auto firstEnd = icuBoundaries(lower).at(1);
                ASSERT_EQ(sentenceCased(text),
                          icuMapped(lower.substr(0, firstEnd), 1) + lower.substr(firstEnd))
                    << hex(text);
            }
        }
    }
}

TEST(IcuOracle, NoOtherCharacterDecomposesOrLowercasesToAKeptAsciiOne) {
    // What differInKeptAscii rests on: no code point but a kept ASCII character
    // itself, nor its lowercase, has one in its canonical decomposition (which
    // also holds every precomposed character a kept one could combine into).
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    ASSERT_TRUE(U_SUCCESS(status));
    for (UChar32 c = 0; c <= 0x10FFFF; ++c) {
        if (U_IS_SURROGATE(c) || !u_isdefined(c)) continue;
        std::string character;
        icu::UnicodeString(c).toUTF8String(character);
        if (differInKeptAscii(character, "")) continue;  // a kept one
        for (const std::string& form : {character, lowercased(character)}) {
            std::string decomposed;
            nfd->normalize(icu::UnicodeString::fromUTF8(form), status).toUTF8String(decomposed);
            ASSERT_TRUE(U_SUCCESS(status));
            ASSERT_FALSE(differInKeptAscii(decomposed, "")) << std::hex << c;
        }
    }
}

TEST(IcuOracle, KeptAsciiDecidesOnlyWhereItMust) {
    // Two names, whether they are canonically equal, whether they differ only in case.
    const std::tuple<std::string, std::string, bool, bool> cases[] = {
        {"IMG 1.JPG", "img 1.jpg", false, true}, {"IMG 1.JPG", "img-1.jpg", false, false},
        {"cr\u00E8me 2", "cre\u0300me 2", true, true}, {"Cr\u00C8ME 2", "cre\u0300me 2", false, true},
        {"Cr\u00E8me 2", "cr\u00E8me 3", false, false},
        // Characters that decompose to ; and `, or compose from = and a mark.
        {"a;b", "a\u037Eb", true, true}, {"a`b", "a\u1FEFb", true, true},
        {"a\u2260b", "a=\u0338b", true, true}, {"\u212A 1", "k 1", false, true},
    };
    for (const auto& [a, b, canonical, caseOnly] : cases) {
        EXPECT_EQ(canonicallyEqual(a, b), canonical) << a << " / " << b;
        EXPECT_EQ(differsOnlyInCase(a, b), caseOnly) << a << " / " << b;
    }
    // Where kept characters differ, it decides without ICU.
    EXPECT_TRUE(differInKeptAscii("IMG 1.JPG", "img-1.jpg"));
}

}  // namespace
}  // namespace tavix::text
