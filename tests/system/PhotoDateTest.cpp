#include "system/PhotoDate.hpp"

#include <gtest/gtest.h>

#include "support/ExifBytes.hpp"
#include "support/TemporaryFolder.hpp"

namespace tavix {
namespace {

using namespace std::chrono;
using namespace testing;

// 2024-05-01 10:00:00 at +02:00.
const FileSystem::Timestamp eightUtc{sys_days(2024y / May / 1) + 8h};

struct Case {
    std::string what;
    std::string file;  // name, then contents
    std::string contents;
    std::optional<FileSystem::Timestamp> expected;
};

class PhotoDateFiles : public ::testing::TestWithParam<Case> {};

TEST_P(PhotoDateFiles, ReadTheDateTakenFromTheHeader) {
    const Case& c = GetParam();
    TemporaryFolder folder;
    EXPECT_EQ(PhotoDate::taken(folder.write(c.file, c.contents)), c.expected) << c.what;
}

const std::string withOffset = exifBlock("2024:05:01 10:00:00", "+02:00");

INSTANTIATE_TEST_SUITE_P(
    Containers, PhotoDateFiles,
    ::testing::Values(
        Case{"a JPEG's APP1 block", "a.jpg", jpegWith(withOffset), eightUtc},
        Case{"a PNG's eXIf chunk, after the image data", "a.png", pngWith(withOffset), eightUtc},
        Case{"a WebP's EXIF chunk", "a.webp", webpWith(withOffset), eightUtc},
        Case{"a TIFF's own directory", "a.tif", withOffset + std::string(100, '\0'), eightUtc},
        Case{"a negative offset", "b.jpg", jpegWith(exifBlock("2024:05:01 06:30:00", "-01:30")),
             eightUtc},
        Case{"a blank date", "c.jpg", jpegWith(exifBlock("    :  :     :  :  ", "+02:00")), {}},
        Case{"a date out of range", "d.jpg", jpegWith(exifBlock("2024:02:30 10:00:00")), {}},
        Case{
            "a JPEG without EXIF", "e.jpg", std::string("\xFF\xD8\xFF\xDB\x00\x04\x00\x00", 8), {}},
        Case{"a cut-off EXIF block", "f.jpg", jpegWith(withOffset).substr(0, 30), {}},
        Case{"a PNG whose eXIf claims 4 GiB",
             "g.png",
             std::string("\x89PNG\r\n\x1A\n\xFF\xFF\xFF\xF0"
                         "eXIf",
                         16),
             {}},
        Case{"a text file", "h.txt", "2024:05:01 10:00:00", {}}));

TEST(PhotoDate, ReadsTheCameraClockAsLocalTime) {
    // Without an offset the clock is all there is; with one, the clock is still
    // what the camera showed.
    const std::string local = exifBlock("2024:05:01 10:00:00");
    for (const auto& [block, reading] : {std::pair{local, PhotoDate::Reading::moment},
                                         std::pair{withOffset, PhotoDate::Reading::cameraClock}}) {
        const auto taken = PhotoDate::fromExif(
            std::span(reinterpret_cast<const unsigned char*>(block.data()), block.size()), reading);
        ASSERT_TRUE(taken);
        const std::time_t t =
            system_clock::to_time_t(time_point_cast<system_clock::duration>(*taken));
        std::tm fields{};
        localtime_r(&t, &fields);
        EXPECT_EQ(fields.tm_mday * 100 + fields.tm_hour, 110);
    }
}

TEST(PhotoDate, FallsBackToTheModificationTime) {
    TemporaryFolder folder;
    const auto plain = folder.write("plain.jpg", "not an image");
    EXPECT_EQ(PhotoDate::takenOrModified(plain), FileSystem::modificationTime(plain));
    const auto photo = folder.write("photo.jpg", jpegWith(withOffset));
    EXPECT_EQ(PhotoDate::takenOrModified(photo), eightUtc);
}

}  // namespace
}  // namespace tavix
