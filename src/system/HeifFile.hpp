#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// What is known of a HEIF or AVIF file before libheif is given it: whether it
// is a still image, and whether its boxes stay within bounds that keep
// libheif's parse cheap. libheif builds an object for every box, entry and
// item it finds, and some of its look-ups are linear in those counts, so a
// few megabytes of empty boxes cost seconds and tens of megabytes; these
// checks read only box headers and the boxes libheif would parse, and refuse
// the file before libheif sees it.
namespace tavix::HeifFile {

// Whether the file's first bytes, a file type box, name a HEIF or AVIF brand
// (an image or an image sequence, which holds an image too), as major brand or
// among the compatible ones within `head`. Other ISO media files, video above
// all, are not images here.
bool hasHeifBrand(std::span<const unsigned char> head);

// The bounds. Photos stay far below them: a camera's or phone's HEIC has a
// handful of top-level boxes and a meta box of a few KiB with some hundred
// boxes, even when the image is a grid of tiles with a gain map beside it.
inline constexpr int kTopLevelBoxes = 64;                // ftyp, meta, mdat, free, uuid …
inline constexpr int kBoxes = 4096;                      // every box libheif would parse
inline constexpr std::uint32_t kEntries = 4096;          // per item location or property table
inline constexpr std::size_t kParsedBytes = 256 * 1024;  // boxes libheif reads whole

// A box libheif reads whole (all but the media data and padding), as read.
struct ParsedBox {
    std::int64_t offset = 0;
    std::vector<unsigned char> bytes;
};

// The boxes libheif would parse, read from the first `size` bytes of `fd`;
// nothing when the layout is damaged or beyond a bound above.
std::optional<std::vector<ParsedBox>> parsedBoxes(int fd, std::int64_t size);

}  // namespace tavix::HeifFile
