#pragma once

#include <cstdint>
#include <string>

namespace tavix::test {

// A little-endian EXIF block (the TIFF structure) whose EXIF directory holds
// DateTimeOriginal and, when given, OffsetTimeOriginal, their text `gap`
// bytes after the directory.
inline std::string exifBlock(const std::string& date, const std::string& offset = "",
                             std::uint32_t gap = 0) {
    std::string out;
    const auto u16 = [&](unsigned v) { out += char(v & 0xFF), out += char(v >> 8 & 0xFF); };
    const auto u32 = [&](std::uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
    const unsigned entries = offset.empty() ? 1 : 2;
    const std::uint32_t exifIfd = 26, data = exifIfd + 2 + 12 * entries + 4 + gap;
    out += "II";
    u16(42), u32(8);
    u16(1), u16(0x8769), u16(4), u32(1), u32(exifIfd), u32(0);  // IFD0: the EXIF pointer
    u16(entries);
    u16(0x9003), u16(2), u32(20), u32(data);
    if (!offset.empty()) u16(0x9011), u16(2), u32(7), u32(data + 20);
    u32(0);
    out += std::string(gap, '\0');
    out += date.substr(0, 19) + std::string(20 - std::min<std::size_t>(date.size(), 19), '\0');
    if (!offset.empty())
        out += offset.substr(0, 6) + std::string(7 - offset.substr(0, 6).size(), '\0');
    return out;
}

inline std::string bigEndian32(std::uint32_t v) {
    return {char(v >> 24), char(v >> 16 & 0xFF), char(v >> 8 & 0xFF), char(v & 0xFF)};
}

inline std::string littleEndian32(std::uint32_t v) {
    return {char(v & 0xFF), char(v >> 8 & 0xFF), char(v >> 16 & 0xFF), char(v >> 24)};
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
