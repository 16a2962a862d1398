#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace tavix::ImageProbe {

struct ImageProperties {
    std::optional<std::int64_t> pixelWidth;
    std::optional<std::int64_t> pixelHeight;
    // "RGB", "Gray", "CMYK" or "Lab"; absent for any other colour model.
    std::optional<std::string> colorModel;
    friend bool operator==(const ImageProperties&, const ImageProperties&) = default;
};

// The most of a file the probe reads: an image whose header doesn't end within
// its first 16 MiB is no readable image here. Files are read through bounded
// reads only, never mapped, so a huge or hostile file costs at most this much.
inline constexpr std::int64_t kReadLimit = std::int64_t{16} << 20;

// The header facts of the first image in the file, or nothing when the file is
// not a readable image. Pixels are never decoded and nothing is printed. A
// JPEG's header is read by libjpeg (skipping EXIF and other metadata unread);
// the other formats' by their libvips loader.
std::optional<ImageProperties> read(const std::filesystem::path& path);

}  // namespace tavix::ImageProbe
