#pragma once

#include <unicode/umachine.h>
#include <unicode/unistr.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace tavix::text {

// What a quick scan of a UTF-8 text found; the engine picks its fast paths from it.
struct Utf8Shape {
    bool valid = true;  // well-formed UTF-8 (no surrogates, no overlongs)
    bool ascii = true;  // every byte below 0x80
    // Every scalar is below U+0300, so no combining mark, joiner or emoji
    // sequence can occur: each scalar is a character of its own (but CR LF).
    bool simple = true;
};

Utf8Shape shape(std::string_view text);

bool isAscii(std::string_view text);
bool isValidUtf8(std::string_view text);

// `text` with every ill-formed sequence replaced by U+FFFD (the maximal
// subparts practice that ICU follows); well-formed text is returned as is.
std::string validUtf8(std::string_view text);

// The scalar that starts at byte `i` of well-formed UTF-8; `i` moves past it.
UChar32 nextScalar(std::string_view text, std::size_t& i);
// The scalar that ends at byte `i` of well-formed UTF-8; `i` moves to its start.
UChar32 previousScalar(std::string_view text, std::size_t& i);

icu::UnicodeString toUtf16(std::string_view text);
std::string toUtf8(const icu::UnicodeString& text);

constexpr char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}
constexpr char asciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

}  // namespace tavix::text
