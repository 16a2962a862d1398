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

// The header facts of the first image in the file, or nothing when the file is
// not a readable image. Pixels are never decoded and nothing is printed.
std::optional<ImageProperties> read(const std::filesystem::path& url);

}  // namespace tavix::ImageProbe
