#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavix::test {

inline std::string bigEndian32(std::uint32_t v) {
    return {char(v >> 24), char(v >> 16 & 0xFF), char(v >> 8 & 0xFF), char(v & 0xFF)};
}

inline std::string littleEndian32(std::uint32_t v) {
    return {char(v & 0xFF), char(v >> 8 & 0xFF), char(v >> 16 & 0xFF), char(v >> 24)};
}

// An entry of a TIFF directory; its value inline when four bytes or fewer.
struct TiffEntry {
    std::uint16_t tag, format;
    std::uint32_t count;
    std::string value;
    std::optional<std::uint32_t> at{};  // the offset written instead of the value's
};

// A TIFF structure: IFD0, then the EXIF directory, then the values that don't
// fit in their entries. An IFD0 entry of tag 0x8769 without `at` points to the
// EXIF directory.
inline std::string tiff(bool motorola, const std::vector<TiffEntry>& ifd0,
                        const std::vector<TiffEntry>& exif) {
    std::string out, values;
    const auto put = [&](std::string& to, std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            to += static_cast<char>(v >> (motorola ? 8 * (bytes - 1 - i) : 8 * i) & 0xFF);
    };
    const std::uint32_t exifAt = 8 + 2 + 12 * static_cast<std::uint32_t>(ifd0.size()) + 4;
    std::uint32_t valuesAt = exifAt + 2 + 12 * static_cast<std::uint32_t>(exif.size()) + 4;
    out += motorola ? "MM" : "II";
    put(out, 42, 2), put(out, 8, 4);
    for (const auto* ifd : {&ifd0, &exif}) {
        put(out, static_cast<std::uint32_t>(ifd->size()), 2);
        for (const TiffEntry& e : *ifd) {
            put(out, e.tag, 2), put(out, e.format, 2), put(out, e.count, 4);
            if (e.tag == 0x8769 && !e.at && ifd == &ifd0) {
                put(out, exifAt, 4);
            } else if (e.at || e.value.size() > 4) {
                put(out, e.at.value_or(valuesAt), 4);
                if (!e.at)
                    values += e.value, valuesAt += static_cast<std::uint32_t>(e.value.size());
            } else {
                out += e.value + std::string(4 - e.value.size(), '\0');
            }
        }
        put(out, 0, 4);
    }
    return out + values;
}

// A little-endian EXIF block whose EXIF directory holds DateTimeOriginal and,
// when given, OffsetTimeOriginal, their text `gap` bytes after the directory.
inline std::string exifBlock(const std::string& date, const std::string& offset = "",
                             std::uint32_t gap = 0) {
    const auto text = [](std::uint16_t tag, const std::string& value, std::uint32_t size) {
        const std::string kept = value.substr(0, size - 1);
        return TiffEntry{tag, 2, size, kept + std::string(size - kept.size(), '\0')};
    };
    std::vector<TiffEntry> exif;
    if (gap > 0) exif.push_back({0x9000, 7, gap, std::string(gap, '\0')});
    exif.push_back(text(0x9003, date, 20));
    if (!offset.empty()) exif.push_back(text(0x9011, offset, 7));
    return tiff(false, {{0x8769, 4, 1, ""}}, exif);
}

// The block in each container the date is read from (no pixels: only the header matters).
inline std::string jpegWith(const std::string& exif) {
    const std::size_t length = 2 + 6 + exif.size();
    return std::string("\xFF\xD8\xFF\xE1", 4) + char(length >> 8) + char(length & 0xFF) +
           std::string("Exif\0\0", 6) + exif + std::string("\xFF\xDA\x00\x02\xFF\xD9", 6);
}

inline std::string pngWith(const std::string& exif) {
    const auto chunk = [](const std::string& type, const std::string& body) {
        return bigEndian32(static_cast<std::uint32_t>(body.size())) + type + body + "CRC!";
    };
    return std::string("\x89PNG\r\n\x1A\n", 8) + chunk("IHDR", std::string(13, '\1')) +
           chunk("IDAT", std::string(40, '\0')) + chunk("eXIf", exif) + chunk("IEND", "");
}

inline std::string webpWith(const std::string& exif) {
    std::string chunks = "VP8X" + littleEndian32(10) + std::string(10, '\0') + "VP8L" +
                         littleEndian32(5) + std::string(5, '\0') + '\0' + "EXIF" +
                         littleEndian32(static_cast<std::uint32_t>(exif.size())) + exif;
    return "RIFF" + littleEndian32(static_cast<std::uint32_t>(chunks.size() + 4)) + "WEBP" + chunks;
}

}  // namespace tavix::test
