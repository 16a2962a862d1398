#include "text/Utf.hpp"

#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace tavix::text {

namespace {

// Where the run of ASCII that starts at `from` ends: eight bytes at a time, as
// every name of a plan, and every path of a journal, is asked several times.
std::size_t asciiRunEnd(std::string_view text, std::size_t from) {
    std::size_t i = from;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, sizeof word);
        if ((word & 0x8080808080808080ull) != 0) break;
    }
    while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) ++i;
    return i;
}

}  // namespace

Utf8Shape shape(std::string_view text) {
    Utf8Shape result;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    std::int32_t i = 0;
    while (i < length) {
        if (bytes[i] < 0x80) {
            i = static_cast<std::int32_t>(asciiRunEnd(text, static_cast<std::size_t>(i)));
            continue;
        }
        result.ascii = false;
        UChar32 c;
        U8_NEXT(bytes, i, length, c);
        if (c < 0) {
            result.valid = false;
            result.simple = false;
            return result;
        }
        if (c >= 0x300) result.simple = false;
    }
    return result;
}

bool isAscii(std::string_view text) {
    return asciiRunEnd(text, 0) == text.size();
}

bool isValidUtf8(std::string_view text) {
    // What follows a run of ASCII starts a character of its own: the scan
    // carries on from there.
    const std::size_t ascii = asciiRunEnd(text, 0);
    return ascii == text.size() || shape(text.substr(ascii)).valid;
}

std::string validUtf8(std::string_view text) {
    if (isValidUtf8(text)) return std::string(text);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    std::string out;
    out.reserve(text.size() + 8);
    std::int32_t i = 0;
    while (i < length) {
        const std::int32_t start = i;
        UChar32 c;
        U8_NEXT(bytes, i, length, c);
        if (c < 0) {
            out += "\xEF\xBF\xBD";
        } else {
            out.append(text.data() + start, static_cast<std::size_t>(i - start));
        }
    }
    return out;
}

UChar32 nextScalar(std::string_view text, std::size_t& i) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    auto at = static_cast<std::int32_t>(i);
    UChar32 c;
    U8_NEXT_UNSAFE(bytes, at, c);
    i = static_cast<std::size_t>(at);
    return c;
}

UChar32 previousScalar(std::string_view text, std::size_t& i) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    auto at = static_cast<std::int32_t>(i);
    UChar32 c;
    U8_PREV_UNSAFE(bytes, at, c);
    i = static_cast<std::size_t>(at);
    return c;
}

icu::UnicodeString toUtf16(std::string_view text) {
    // ASCII, most names, widens byte by byte; ICU's converter checks each one.
    const auto length = static_cast<std::int32_t>(text.size());
    if (isAscii(text)) {
        icu::UnicodeString out;
        char16_t* units = out.getBuffer(length);
        if (units != nullptr) {
            for (std::int32_t i = 0; i < length; ++i) units[i] = static_cast<char16_t>(text[i]);
            out.releaseBuffer(length);
            return out;
        }
    }
    return icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), length));
}

std::string toUtf8(const icu::UnicodeString& text) {
    const char16_t* units = text.getBuffer();
    const std::int32_t length = text.length();
    std::string out;
    if (units != nullptr &&
        std::all_of(units, units + length, [](char16_t unit) { return unit < 0x80; })) {
        out.resize(static_cast<std::size_t>(length));
        for (std::int32_t i = 0; i < length; ++i) out[i] = static_cast<char>(units[i]);
        return out;
    }
    text.toUTF8String(out);
    return out;
}

}  // namespace tavix::text
