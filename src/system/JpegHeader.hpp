#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "system/ImageProbe.hpp"

// The image probe's JPEG reader, on libjpeg: the pixel size and colour model
// from the frame header, the way libvips' JPEG loader reports them.
namespace tavix::ImageProbe {

// The part of an open file the probe may read: bytes 0 to `end` (at most
// kReadLimit), through pread.
struct Prefix {
    int fd;
    std::int64_t end;
};

// The file's first bytes, already read to tell its format.
struct FirstBytes {
    std::array<unsigned char, 4096> bytes;
    std::size_t length = 0;  // within the prefix
};

// Reads markers up to the first scan; metadata segments (EXIF, XMP, ICC …) are
// skipped without being read. Nothing when the header is damaged, unsupported
// or doesn't end within the prefix.
std::optional<ImageProperties> readJpegHeader(Prefix prefix, const FirstBytes& head);

}  // namespace tavix::ImageProbe
