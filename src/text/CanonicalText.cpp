#include "text/CanonicalText.hpp"

#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <array>
#include <string>

#include "text/Utf.hpp"

namespace tavix {
namespace {

// The NFC form of `text`; invalid UTF-8 becomes U+FFFD, which still compares
// consistently with the hash below.
std::string nfc(std::string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* normalizer = icu::Normalizer2::getNFCInstance(status);
    icu::UnicodeString source = icu::UnicodeString::fromUTF8(text);
    if (U_FAILURE(status)) return std::string(text);
    icu::UnicodeString normalized = normalizer->normalize(source, status);
    if (U_FAILURE(status)) return std::string(text);
    std::string out;
    normalized.toUTF8String(out);
    return out;
}

}  // namespace

// Whether `text` is already in NFC, so that it is its own canonical form.
bool isNfc(std::string_view text) {
    // Below U+0300 no scalar combines or decomposes (ICU's own quick check
    // starts there).
    const text::Utf8Shape shape = text::shape(text);
    if (shape.valid && shape.simple) return true;
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* normalizer = icu::Normalizer2::getNFCInstance(status);
    if (U_FAILURE(status)) return false;
    const bool normalized = normalizer->isNormalizedUTF8(
        icu::StringPiece(text.data(), static_cast<int32_t>(text.size())), status);
    return U_SUCCESS(status) && normalized;
}

namespace {

constexpr bool isKeptAscii(unsigned char c) {
    if (c >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return false;
    return c != ';' && c != '<' && c != '=' && c != '>' && c != '`';
}

}  // namespace

bool differInKeptAscii(std::string_view a, std::string_view b) {
    static constexpr auto kept = [] {
        std::array<bool, 256> table{};
        for (unsigned c = 0; c < 256; ++c) table[c] = isKeptAscii(static_cast<unsigned char>(c));
        return table;
    }();
    const auto isKept = [](char c) { return kept[static_cast<unsigned char>(c)]; };
    std::size_t i = 0;
    std::size_t j = 0;
    for (;;) {
        while (i < a.size() && !isKept(a[i])) ++i;
        while (j < b.size() && !isKept(b[j])) ++j;
        if (i == a.size() || j == b.size()) return (i == a.size()) != (j == b.size());
        if (a[i++] != b[j++]) return true;
    }
}

bool canonicallyEqual(std::string_view a, std::string_view b) {
    if (a == b) return true;
    if (differInKeptAscii(a, b)) return false;
    // Two different texts that are both in NFC are never equivalent.
    if (isNfc(a) && isNfc(b)) return false;
    return nfc(a) == nfc(b);
}

std::string canonicalForm(std::string_view text) {
    if (isNfc(text)) return std::string(text);
    return nfc(text);
}

}  // namespace tavix
