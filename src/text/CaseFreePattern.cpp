#include "text/CaseFreePattern.hpp"

#include <cstddef>

namespace tavix::text {
namespace {

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Escapes that stand for characters or positions no case mapping touches:
// digits, white space, word boundaries (which ignore case) and controls.
bool isCaselessEscape(char c) {
    switch (c) {
        case 'd':
        case 'D':
        case 's':
        case 'S':
        case 'b':
        case 'B':
        case 't':
        case 'n':
        case 'r':
        case 'f':
            return true;
        default:
            return false;
    }
}

// A character a set range may start or end at: a plain ASCII character that
// neither builds sets nor is a letter.
bool isRangeEnd(char c) {
    return !isAsciiLetter(c) && c != '[' && c != ']' && c != '-' && c != '&' && c != '^' &&
           c != '\\' && c != ':';
}

}  // namespace

bool matchesAlikeInEveryCase(std::string_view pattern) {
    int depth = 0;  // nesting of [ ] sets
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (static_cast<unsigned char>(c) >= 0x80 || isAsciiLetter(c)) return false;
        if (c == '\\') {
            if (++i == pattern.size()) return false;
            const char escaped = pattern[i];
            if (static_cast<unsigned char>(escaped) >= 0x80) return false;
            // A digit is a backreference or an octal escape; a letter outside
            // the list may be a property, a code point or a flag.
            if (escaped >= '0' && escaped <= '9') return false;
            if (isAsciiLetter(escaped) && !isCaselessEscape(escaped)) return false;
            continue;
        }
        if (c == '[') {
            ++depth;
        } else if (c == ']' && depth > 0) {
            --depth;
        } else if (c == '-' && depth > 0) {
            // A range: both ends plain, and no letter between them. Anything
            // else ('-' first or last, escaped ends) is left to the flag.
            if (i == 0 || i + 1 == pattern.size()) return false;
            const char low = pattern[i - 1];
            const char high = pattern[i + 1];
            if (!isRangeEnd(low) || !isRangeEnd(high)) return false;
            if (i >= 2 && pattern[i - 2] == '\\') return false;
            if (low <= 'z' && high >= 'A') {
                // Only the stretch between the upper and lower case letters
                // ([ \ ] ^ _ `) spans no letter.
                if (!(low > 'Z' && high < 'a')) return false;
            }
        }
    }
    return true;
}

}  // namespace tavix::text
