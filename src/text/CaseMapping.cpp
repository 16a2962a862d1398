#include "text/CaseMapping.hpp"

#include <unicode/bytestream.h>
#include <unicode/casemap.h>
#include <unicode/ucasemap.h>
#include <unicode/uchar.h>

#include <cstdint>

#include "text/Graphemes.hpp"
#include "text/Utf.hpp"

namespace tavix::text {
namespace {

// "" names the root locale for ICU's case mapping (a null locale would mean
// the default one, which may be Turkish).
constexpr const char* kRootLocale = "";

enum class Mapping { lower, upper, title };

void appendMapped(Mapping mapping, std::string_view text, std::string& out) {
    icu::StringByteSink<std::string> sink(&out);
    const icu::StringPiece piece(text.data(), static_cast<std::int32_t>(text.size()));
    UErrorCode status = U_ZERO_ERROR;
    switch (mapping) {
        case Mapping::lower:
            icu::CaseMap::utf8ToLower(kRootLocale, 0, piece, sink, nullptr, status);
            break;
        case Mapping::upper:
            icu::CaseMap::utf8ToUpper(kRootLocale, 0, piece, sink, nullptr, status);
            break;
        case Mapping::title:
            icu::CaseMap::utf8ToTitle(kRootLocale, U_TITLECASE_WHOLE_STRING, nullptr, piece, sink,
                                      nullptr, status);
            break;
    }
    if (U_FAILURE(status)) out.append(text);
}

std::string mapped(Mapping mapping, std::string_view text) {
    std::string out;
    out.reserve(text.size() + 4);
    appendMapped(mapping, text, out);
    return out;
}

constexpr bool isAsciiWhiteSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The ASCII part of ICU's titlecasing index adjustment: letters, digits and the
// symbols $ + < = > ^ ` | ~ start a word; punctuation and controls are skipped.
constexpr bool isAsciiTitleStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '$' ||
           c == '+' || c == '<' || c == '=' || c == '>' || c == '^' || c == '`' || c == '|' ||
           c == '~';
}

void appendAsciiCapitalized(std::string_view word, std::string& out) {
    std::size_t i = 0;
    while (i < word.size() && !isAsciiTitleStart(word[i])) out += word[i++];
    if (i < word.size()) out += asciiUpper(word[i++]);
    for (; i < word.size(); ++i) out += asciiLower(word[i]);
}

}  // namespace

void lowercased(std::string_view text, std::string& out) {
    // Below U+0100 a letter lowers on its own, whatever surrounds it: A–Z and
    // À–Þ (but ×) by a fixed offset, in place. Any other scalar goes to ICU.
    out.assign(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (c < 0x80) {
            out[i] = asciiLower(out[i]);
            continue;
        }
        const auto next = i + 1 < out.size() ? static_cast<unsigned char>(out[i + 1]) : 0;
        if ((c != 0xC2 && c != 0xC3) || next < 0x80 || next > 0xBF) {
            out.clear();
            appendMapped(Mapping::lower, text, out);
            return;
        }
        if (c == 0xC3 && next <= 0x9E && next != 0x97) out[i + 1] = static_cast<char>(next + 0x20);
        ++i;
    }
}

std::string lowercased(std::string_view text) {
    std::string out;
    lowercased(text, out);
    return out;
}

std::string uppercased(std::string_view text) {
    if (!isAscii(text)) return mapped(Mapping::upper, text);
    std::string out(text);
    for (char& c : out) c = asciiUpper(c);
    return out;
}

std::string capitalized(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 4);
    std::size_t i = 0;
    while (i < text.size()) {
        // Copy the white space before the next word as is: it has no case.
        std::size_t wordStart = i;
        bool wordAscii = true;
        while (i < text.size()) {
            std::size_t next = i;
            const UChar32 c = nextScalar(text, next);
            if (!u_isUWhiteSpace(c)) break;
            i = next;
        }
        out.append(text.substr(wordStart, i - wordStart));
        wordStart = i;
        while (i < text.size()) {
            if (static_cast<unsigned char>(text[i]) < 0x80) {
                if (isAsciiWhiteSpace(text[i])) break;
                ++i;
                continue;
            }
            std::size_t next = i;
            const UChar32 c = nextScalar(text, next);
            if (u_isUWhiteSpace(c)) break;
            wordAscii = false;
            i = next;
        }
        const std::string_view word = text.substr(wordStart, i - wordStart);
        if (wordAscii) {
            appendAsciiCapitalized(word, out);
        } else {
            appendMapped(Mapping::title, word, out);
        }
    }
    return out;
}

std::string sentenceCased(std::string_view text) {
    std::string lower = lowercased(text);
    if (lower.empty()) return lower;
    if (static_cast<unsigned char>(lower[0]) < 0x80 &&
        (lower.size() == 1 || static_cast<unsigned char>(lower[1]) < 0x80)) {
        // An ASCII character followed by ASCII is a cluster of its own (a CR
        // LF pair is uncased, so treating CR alone changes nothing).
        lower[0] = asciiUpper(lower[0]);
        return lower;
    }
    const std::vector<std::size_t> boundaries = graphemeBoundaries(lower);
    const std::size_t firstEnd = boundaries.size() > 1 ? boundaries[1] : lower.size();
    std::string out;
    out.reserve(lower.size() + 4);
    appendMapped(Mapping::upper, std::string_view(lower).substr(0, firstEnd), out);
    out.append(lower, firstEnd);
    return out;
}

}  // namespace tavix::text
