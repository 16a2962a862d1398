#include "cli/EditText.hpp"

#include <charconv>

#include "text/PathNames.hpp"
#include "text/Utf.hpp"

namespace tavix::cli {
namespace {

constexpr char hexDigits[] = "0123456789abcdef";

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void escapeByte(unsigned char byte, std::string& out) {
    out += "\\x";
    out += hexDigits[byte >> 4];
    out += hexDigits[byte & 0xF];
}

}  // namespace

std::string escapeName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    std::size_t i = 0;
    while (i < name.size()) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (byte >= 0x80) {
            // A whole UTF-8 sequence stays as it is; a stray byte is escaped.
            std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
            // C1 controls (U+0080–U+009F, C2 80 … C2 9F) are escaped byte by byte.
            const auto next = i + 1 < name.size() ? static_cast<unsigned char>(name[i + 1]) : 0;
            const bool control = byte == 0xC2 && next >= 0x80 && next <= 0x9F;
            if (control) {
                escapeByte(byte, out);
                escapeByte(next, out);
                i += 2;
            } else if (length > 1 && i + length <= name.size() &&
                       text::isValidUtf8(name.substr(i, length))) {
                out.append(name.substr(i, length));
                i += length;
            } else {
                escapeByte(byte, out);
                ++i;
            }
            continue;
        }
        switch (byte) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                if (byte < 0x20 || byte == 0x7F) {
                    escapeByte(byte, out);
                } else {
                    out += static_cast<char>(byte);
                }
        }
        ++i;
    }
    return out;
}

std::string unescapeName(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (i + 1 == text.size())
            throw EditTextError("a backslash ends the name; write \\\\ for one");
        const char kind = text[++i];
        switch (kind) {
            case '\\':
                out += '\\';
                break;
            case 't':
                out += '\t';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 'x': {
                const int high = i + 1 < text.size() ? hexValue(text[i + 1]) : -1;
                const int low = i + 2 < text.size() ? hexValue(text[i + 2]) : -1;
                if (high < 0 || low < 0) throw EditTextError("\\x needs two hexadecimal digits");
                out += static_cast<char>(high * 16 + low);
                i += 2;
                break;
            }
            default:
                throw EditTextError(std::string("\\") + kind +
                                    " is not an escape; write \\\\ for a backslash");
        }
    }
    return out;
}

std::string editText(const std::vector<Location>& files) {
    bool oneFolder = true;
    for (const Location& file : files) {
        if (PathNames::folder(file) != PathNames::folder(files.front())) {
            oneFolder = false;
            break;
        }
    }
    std::string out;
    Location folder;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!oneFolder) {
            Location here = PathNames::folder(files[i]);
            if (i == 0 || here != folder) {
                out += (i == 0 ? "# " : "\n# ") + escapeName(here.native()) + "\n";
                folder = std::move(here);
            }
        }
        out += std::to_string(i + 1);
        out += '\t';
        out += escapeName(PathNames::name(files[i]));
        out += '\n';
    }
    return out;
}

std::vector<std::optional<std::string>> readEditText(std::string_view text, std::size_t count) {
    std::vector<std::optional<std::string>> names(count);
    std::size_t number = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        ++number;
        const auto fail = [&](const std::string& reason) {
            throw EditTextError("line " + std::to_string(number) + ": " + reason);
        };
        if (line.empty() || line.front() == '#') continue;
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos) fail("no tab between the number and the name");
        const std::string_view digits = line.substr(0, tab);
        std::size_t file = 0;
        const auto [rest, parsed] =
            std::from_chars(digits.data(), digits.data() + digits.size(), file);
        if (digits.empty() || parsed != std::errc() || rest != digits.data() + digits.size() ||
            file == 0 || file > count) {
            fail("\u201C" + escapeName(digits) + "\u201D is not the number of a file");
        }
        if (names[file - 1]) fail("file " + std::to_string(file) + " is given twice");
        try {
            names[file - 1] = unescapeName(line.substr(tab + 1));
        } catch (const EditTextError& error) {
            fail(error.what());
        }
    }
    return names;
}

}  // namespace tavix::cli
