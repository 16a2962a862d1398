#include <gtest/gtest.h>
#include <sys/stat.h>

#include <iostream>
#include <string>

#include "support/Files.hpp"
#include "support/TemporaryFolder.hpp"
#include "support/TestImages.hpp"
#include "system/ImageProbe.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;
using ImageProbe::ImageProperties;
using test::ImageShape;
using test::contentsOf;

// Reads `file` and fails the test if anything reached stderr meanwhile.
std::optional<ImageProperties> quietRead(const fs::path& file) {
    ::testing::internal::CaptureStderr();
    auto properties = ImageProbe::read(file);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << file;
    return properties;
}

constexpr auto sRGB = VIPS_INTERPRETATION_sRGB;

// Only a whole header, found by content rather than name, within the first
// kReadLimit bytes makes an image; anything else quietly gives nothing. A pipe
// is never opened: that would wait for a writer for ever. HEIF and AVIF are
// read as libheif writes them; a HEIC padded with more top-level boxes than
// libheif is given is no image here.
TEST(ReadsImageHeaders, OnlyAWholeHeaderWithinTheLimit) {
    test::TemporaryFolder temp;
    const auto image = [&](const std::string& name, const ImageShape& shape) {
        std::string why;
        EXPECT_TRUE(test::writeImage(temp.path() / name, shape, why)) << why;
        return temp.path() / name;
    };
    const std::string png = contentsOf(image("whole.png", {640, 480, 3, sRGB}));
    const std::string jpeg = contentsOf(image("whole.jpg", {64, 48, 3, sRGB}));
    const std::size_t afterApp0 =
        4 + (static_cast<unsigned char>(jpeg[4]) << 8 | static_cast<unsigned char>(jpeg[5]));
    const auto inserted = [&](std::size_t at, const std::string& bytes) {
        return std::string(jpeg).insert(at, bytes);
    };
    // APP15 segments of the largest size, as many as fit within the limit, or
    // enough to put the whole header past it.
    const std::string segment = "\xFF\xEF\xFF\xFF" + std::string(65533, '\0');
    const auto withSegments = [&](std::int64_t count) {
        std::string padded;
        for (std::int64_t i = 0; i < count; ++i) padded += segment;
        return inserted(2, padded);
    };
    const auto segmentSize = static_cast<std::int64_t>(segment.size());
    const std::optional<ImageProperties> none, small = ImageProperties{64, 48, "RGB"};
    const std::string heic = test::fixture("dated.heic");
    const struct { std::string name, contents; std::optional<ImageProperties> expected; }
        cases[] = {
        {"dated.heic", heic, small},
        {"dated.avif", test::fixture("dated.avif"), small},
        {"padded.heic", heic + test::freeBoxes(1000), none},
        {"notes.txt", "Shopping list\nmilk\n", none},
        {"empty.png", "", none},
        {"garbage-after-magic.png", png.substr(0, 8) + std::string(400, '\x5A'), none},
        {"cut-inside-header.png", png.substr(0, 20), none},
        {"cut-inside-header.jpg", jpeg.substr(0, 100), none},
        {"cut-after-header.txt", png.substr(0, png.size() / 2), ImageProperties{640, 480, "RGB"}},
        // libpng warns about a damaged critical chunk before it gives up.
        {"bad-header-checksum.png", png.substr(0, 29) + std::string(4, '\0') + png.substr(33),
         none},
        {"bad-ftyp.heic", std::string(3, '\0') + "\x18" + "ftypheic" + std::string(100, '\0'),
         none},
        {"drawing.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"20\"/>",
         none},
        {"pixels.ppm", "P6\n2 2\n255\n" + std::string(12, '\0'), none},
        {"within.jpg", withSegments((ImageProbe::kReadLimit - std::ssize(jpeg)) / segmentSize),
         small},
        {"beyond.jpg", withSegments(ImageProbe::kReadLimit / segmentSize + 1), none},
        // Bytes between two markers make libjpeg warn; the header is still whole.
        {"stray-bytes.jpg", inserted(afterApp0, "\x12\x34\x56"), small},
        // A segment skipped unread, within the first bytes read, that holds what
        // looks like a 9x7 frame header.
        {"small-app1.jpg",
         inserted(afterApp0, std::string("\xFF\xE1\x00\x15\xFF\xC0\x00\x11\x08\x00\x07\x00\x09\x03"
                                         "\x01\x22\x00\x02\x11\x01\x03\x11\x01",
                                         23)),
         small},
    };
    for (const auto& c : cases)
        EXPECT_EQ(quietRead(temp.write(c.name, c.contents)), c.expected) << c.name;
    // Formats whose libvips loaders count as untrusted are never read.
    EXPECT_EQ(quietRead(image("still.jp2", {64, 48, 3, sRGB})), none);
    EXPECT_EQ(quietRead(temp.path() / "missing.png"), none);
    EXPECT_EQ(quietRead(temp.path()), none);
    ASSERT_EQ(::mkfifo((temp.path() / "pipe.png").c_str(), 0600), 0);
    EXPECT_EQ(ImageProbe::read(temp.path() / "pipe.png"), none);

    // The size and colour model of each kind this build of libvips can write.
    const struct { std::string file; ImageShape shape; std::optional<std::string> model; }
        models[] = {
        {"anim.gif", {100, 50, 3, sRGB}, "RGB"},
        {"gray.png", {33, 17, 1, VIPS_INTERPRETATION_B_W}, "Gray"},
        {"gray16.png", {20, 10, 1, VIPS_INTERPRETATION_GREY16, VIPS_FORMAT_USHORT}, "Gray"},
        {"cmyk.jpg", {40, 30, 4, VIPS_INTERPRETATION_CMYK}, "CMYK"},
        {"photo.webp", {120, 80, 3, sRGB}, "RGB"}, {"phone.heic", {64, 48, 3, sRGB}, "RGB"},
        {"lab.tif", {50, 70, 3, VIPS_INTERPRETATION_LAB, VIPS_FORMAT_FLOAT}, "Lab"}};
    for (const auto& c : models) {
        std::string why;
        if (!test::writeImage(temp.path() / c.file, c.shape, why)) {
            std::cerr << "skipped " << c.file << ": " << why << "\n";  // no writer here
            continue;
        }
        EXPECT_EQ(quietRead(temp.path() / c.file),
                  (ImageProperties{c.shape.width, c.shape.height, c.model}))
            << c.file;
    }
}

}  // namespace
}  // namespace tavix
