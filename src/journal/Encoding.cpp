#include "journal/Encoding.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>

#include "text/Utf.hpp"

namespace tavix::journal {
namespace {

constexpr std::string_view base64Digits =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Whether `text` holds a byte JSON escapes (a control, '"' or '\\'), tested
// eight bytes at a time.
bool needsEscape(std::string_view text) {
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    constexpr std::uint64_t highs = 0x8080808080808080ull;
    // Whether a byte of `word` is below `n` (n <= 128); exact for the word as a whole.
    const auto hasLess = [](std::uint64_t word, std::uint64_t n) {
        return ((word - ones * n) & ~word & highs) != 0;
    };
    const auto hasByte = [&](std::uint64_t word, std::uint64_t byte) {
        return hasLess(word ^ (ones * byte), 1);
    };
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, sizeof word);
        if (hasLess(word, 0x20) || hasByte(word, '"') || hasByte(word, '\\')) return true;
    }
    for (; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == '"' || byte == '\\') return true;
    }
    return false;
}

}  // namespace

void appendString(std::string& out, std::string_view text) {
    out += '"';
    appendEscaped(out, text);
    out += '"';
}

void appendEscaped(std::string& out, std::string_view text) {
    static constexpr char hex[] = "0123456789abcdef";
    if (!needsEscape(text)) {
        out += text;
        return;
    }
    std::size_t plain = 0;  // runs that need no escape are copied at once
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && c != '"' && c != '\\') continue;
        out.append(text, plain, i - plain);
        plain = i + 1;
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += "\\u00";
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        }
    }
    out.append(text, plain);
}

void appendPath(std::string& out, std::string_view bytes) {
    if (text::isValidUtf8(bytes)) {
        appendString(out, bytes);
    } else {
        out += "{\"base64\":\"";
        out += base64(bytes);
        out += "\"}";
    }
}

std::string base64(std::string_view bytes) {
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t chunk = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            chunk <<= 8;
            if (k < n) chunk |= static_cast<unsigned char>(bytes[i + k]);
        }
        for (std::size_t k = 0; k < 4; ++k) {
            out += k <= n ? base64Digits[(chunk >> (18 - 6 * k)) & 0x3F] : '=';
        }
    }
    return out;
}

std::optional<std::string> fromBase64(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    std::string out;
    std::uint32_t chunk = 0;
    int bits = 0;
    std::size_t padding = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '=') {
            if (i + 2 < text.size()) return std::nullopt;
            ++padding;
            continue;
        }
        if (padding > 0) return std::nullopt;
        const auto digit = base64Digits.find(c);
        if (digit == std::string_view::npos) return std::nullopt;
        chunk = (chunk << 6) | static_cast<std::uint32_t>(digit);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((chunk >> bits) & 0xFF);
        }
    }
    return out;
}

namespace {

// The proleptic Gregorian date of a day counted from 1970-01-01 (negative
// before it), by the days-from-civil method run backwards.
struct Date {
    long long year;
    unsigned month;
    unsigned day;
};
Date dateOf(long long days) {
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const auto ofEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (ofEra - ofEra / 1460 + ofEra / 36524 - ofEra / 146096) / 365;
    const unsigned ofYear = ofEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shifted = (5 * ofYear + 2) / 153;
    const unsigned day = ofYear - (153 * shifted + 2) / 5 + 1;
    const unsigned month = shifted < 10 ? shifted + 3 : shifted - 9;
    return {static_cast<long long>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

// Writes `value` as `width` decimal digits ending at `end`.
void putDigits(char* end, unsigned long long value, int width) {
    for (int i = 0; i < width; ++i, value /= 10) *--end = static_cast<char>('0' + value % 10);
}

}  // namespace

void appendTime(std::string& out, FileSystem::Timestamp time) {
    // Written by hand, not by strftime and printf: a journal writes one per file.
    const auto seconds = std::chrono::floor<std::chrono::seconds>(time);
    const auto nanoseconds = static_cast<unsigned long long>((time - seconds).count());
    const long long whole = seconds.time_since_epoch().count();
    const long long days = (whole >= 0 ? whole : whole - 86399) / 86400;
    const auto ofDay = static_cast<unsigned long long>(whole - days * 86400);
    // Nanoseconds since 1970 in 64 bits reach only the years 1677 to 2262.
    const Date date = dateOf(days);
    char text[] = "0000-00-00T00:00:00.000000000Z";
    putDigits(text + 4, static_cast<unsigned long long>(date.year), 4);
    putDigits(text + 7, date.month, 2);
    putDigits(text + 10, date.day, 2);
    putDigits(text + 13, ofDay / 3600, 2);
    putDigits(text + 16, ofDay / 60 % 60, 2);
    putDigits(text + 19, ofDay % 60, 2);
    putDigits(text + 29, nanoseconds, 9);
    out.append(text, sizeof text - 1);
}

std::optional<FileSystem::Timestamp> parseTime(std::string_view text) {
    // Exactly the form appendTime writes: 20 characters, a dot, 9 digits, "Z".
    if (text.size() != 30 || text[19] != '.' || text[29] != 'Z') return std::nullopt;
    std::tm parts{};
    const std::string date(text.substr(0, 19));
    const char* end = ::strptime(date.c_str(), "%Y-%m-%dT%H:%M:%S", &parts);
    if (end == nullptr || *end != '\0') return std::nullopt;
    long long nanoseconds = 0;
    for (const char c : text.substr(20, 9)) {
        if (c < '0' || c > '9') return std::nullopt;
        nanoseconds = nanoseconds * 10 + (c - '0');
    }
    return FileSystem::Timestamp(std::chrono::seconds(::timegm(&parts)) +
                                 std::chrono::nanoseconds(nanoseconds));
}

std::string utcNow(const char* format) {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    ::gmtime_r(&now, &parts);
    char buffer[64];
    std::strftime(buffer, sizeof buffer, format, &parts);
    return buffer;
}

}  // namespace tavix::journal
