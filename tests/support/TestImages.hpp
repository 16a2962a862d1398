#pragma once

#include <vips/vips.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/ExifBytes.hpp"

namespace tavix::test {

// Small images written by libvips itself, so the tests need no binary fixtures.
struct ImageShape {
    int width = 8;
    int height = 8;
    int bands = 3;
    VipsInterpretation interpretation = VIPS_INTERPRETATION_sRGB;
    VipsBandFormat format = VIPS_FORMAT_UCHAR;
};

// Writes a black image of `shape` to `file`, in the format its suffix names.
// Returns false, with libvips' reason in `why`, when this build can't save it.
inline bool writeImage(const std::filesystem::path& file, const ImageShape& shape,
                       std::string& why) {
    VipsImage* black = nullptr;
    VipsImage* cast = nullptr;
    VipsImage* tagged = nullptr;
    const bool written =
        VIPS_INIT("tavix-tests") == 0 &&
        vips_black(&black, shape.width, shape.height, "bands", shape.bands, nullptr) == 0 &&
        vips_cast(black, &cast, shape.format, nullptr) == 0 &&
        vips_copy(cast, &tagged, "interpretation", shape.interpretation, nullptr) == 0 &&
        vips_image_write_to_file(tagged, file.c_str(), nullptr) == 0;
    if (!written) why = vips_error_buffer();
    vips_error_clear();
    for (VipsImage* image : {black, cast, tagged})
        if (image) g_object_unref(image);
    return written;
}

// A file of tests/fixtures, whole. dated.heic and dated.avif are a grey 64 × 48
// image written by libheif's own HEVC and AV1 encoders with the EXIF block of
// exifBlock("2024:05:01 10:00:00", "+02:00"); fixtures/make-heif-fixtures.cpp
// makes them.
inline std::string fixture(const std::string& name) {
    std::ifstream in(std::filesystem::path(TAVIX_TEST_FIXTURES) / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// An ISO media box of `type` around `payload`.
inline std::string box(const std::string& type, const std::string& payload) {
    return bigEndian32(static_cast<std::uint32_t>(8 + payload.size())) + type + payload;
}

// `count` empty padding boxes.
inline std::string freeBoxes(std::size_t count) {
    std::string boxes;
    for (std::size_t i = 0; i < count; ++i) boxes += box("free", "");
    return boxes;
}

}  // namespace tavix::test
