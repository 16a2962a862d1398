#include "cli/TerminalText.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "text/Utf.hpp"

namespace tavix::cli {
namespace {

constexpr char hexDigits[] = "0123456789abcdef";

bool needsEscaping(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) return true;
        // C1 controls are U+0080–U+009F: C2 80 … C2 9F in UTF-8.
        if (byte == 0xC2 && i + 1 < text.size()) {
            const auto next = static_cast<unsigned char>(text[i + 1]);
            if (next >= 0x80 && next <= 0x9F) return true;
        }
    }
    return false;
}

// Whether every byte is printable ASCII (0x20 to 0x7E), eight at a time.
bool isPrintableAscii(std::string_view text) {
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    constexpr std::uint64_t highs = 0x8080808080808080ull;
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, sizeof word);
        // With no byte of 0x80 or above, a byte below 0x20 borrows into its
        // own top bit when 0x20 is taken from it, and only 0x7F becomes zero
        // when xored with 0x7F.
        const std::uint64_t del = word ^ (0x7F * ones);
        if (((word | ((word - 0x20 * ones) & ~word) | ((del - ones) & ~del)) & highs) != 0) break;
    }
    for (; i < text.size(); ++i) {
        if (text[i] < 0x20 || text[i] >= 0x7F) return false;
    }
    return true;
}

}  // namespace

void appendPrintable(std::string_view raw, std::string& out) {
    // Printable ASCII, most names, is already as it should be shown; so is
    // well-formed UTF-8 without control characters.
    if (isPrintableAscii(raw) || (text::isValidUtf8(raw) && !needsEscaping(raw))) {
        out.append(raw);
        return;
    }
    const std::string text = text::validUtf8(raw);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        switch (byte) {
            case '\n':
                out += "\\n";
                continue;
            case '\t':
                out += "\\t";
                continue;
            case '\r':
                out += "\\r";
                continue;
            default:
                break;
        }
        if (byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            out += hexDigits[byte >> 4];
            out += hexDigits[byte & 0xF];
        } else if (byte == 0xC2 && i + 1 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            const auto scalar = static_cast<unsigned char>(text[++i]);
            out += "\\u00";
            out += hexDigits[scalar >> 4];
            out += hexDigits[scalar & 0xF];
        } else {
            out += static_cast<char>(byte);
        }
    }
}

std::string printable(std::string_view raw) {
    std::string out;
    appendPrintable(raw, out);
    return out;
}

std::string printable(const std::string& text) {
    return printable(std::string_view(text));
}

std::string printable(const char* text) {
    return printable(std::string_view(text));
}

std::string printable(const std::filesystem::path& path) {
    return printable(std::string_view(path.native()));
}

std::string printable(const Location& location) {
    return printable(std::string_view(location.native()));
}

}  // namespace tavix::cli
