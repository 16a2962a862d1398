#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace tavix {

// The display texts describing one file, for the inspector and the table's size
// and date columns. Every text is valid UTF-8 and ready to show.
struct FileInfo {
    std::string path;      // the folder that holds the file, as a plain path
    std::string size;      // formatSize of the size in bytes, else "—"
    std::string created;   // medium date, short time; "—" where no birth time is recorded
    std::string modified;  // content modification, same format; else "—"
    // The localized type description ("JPEG image"), else the name's extension
    // upper-cased, empty for a name without one.
    std::string kind;
    std::optional<std::string> dimensions;  // "1920 × 1080" (U+00D7), for images only
    std::optional<std::string> colorSpace;  // "RGB", "Gray", "CMYK" or "Lab"

    friend bool operator==(const FileInfo&, const FileInfo&) = default;

    // Never fails: each fact that can't be read becomes its fallback above. Dates
    // follow ICU's default locale and time zone; nothing is cached between calls.
    static FileInfo read(const std::filesystem::path& file);
    // Only what a listing shows, from one statx: `size`, `created` and
    // `modified`, with the same texts and fallbacks as `read`. Every other field
    // stays empty; the kind and the image are never looked at.
    static FileInfo readListing(const std::filesystem::path& file);

    // A byte count the way Linux file browsers write it, in decimal units with the
    // number in the default locale's format: "0 bytes", "1 byte", "999 bytes",
    // then whole kilobytes ("1 kB", "999 kB") and from a megabyte on one decimal,
    // dropped when it is zero ("1.5 MB", "2 GB", up to EB). Values are rounded
    // half up, and a value that rounds to 1000 of a unit is written in the next.
    static std::string formatSize(std::uint64_t bytes);
};

}  // namespace tavix
