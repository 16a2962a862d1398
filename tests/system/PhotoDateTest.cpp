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

const std::string withOffset = exifBlock("2024:05:01 10:00:00", "+02:00");

TEST(PhotoDate, ReadsTheDateTakenFromTheHeader) {
    const struct {
        std::string what, file, contents;
        std::optional<FileSystem::Timestamp> expected;
    } cases[] = {
        {"a JPEG's APP1 block", "a.jpg", jpegWith(withOffset), eightUtc},
        {"a PNG's eXIf chunk, after the image data", "a.png", pngWith(withOffset), eightUtc},
        {"a WebP's EXIF chunk", "a.webp", webpWith(withOffset), eightUtc},
        {"a TIFF's own directory", "a.tif", withOffset + std::string(100, '\0'), eightUtc},
        {"a negative offset", "b.jpg", jpegWith(exifBlock("2024:05:01 06:30:00", "-01:30")),
         eightUtc},
        {"the first day of the year", "i.jpg", jpegWith(exifBlock("2024:01:01 00:00:00", "+00:00")),
         sys_days(2024y / January / 1)},
        {"a blank date", "c.jpg", jpegWith(exifBlock("    :  :     :  :  ", "+02:00")), {}},
        {"a date out of range", "d.jpg", jpegWith(exifBlock("2024:02:30 10:00:00")), {}},
        {"a JPEG without EXIF", "e.jpg", std::string("\xFF\xD8\xFF\xDB\x00\x04\x00\x00", 8), {}},
        {"a cut-off EXIF block", "f.jpg", jpegWith(withOffset).substr(0, 30), {}},
        {"a PNG whose eXIf claims 4 GiB",
         "g.png",
         std::string("\x89PNG\r\n\x1A\n\xFF\xFF\xFF\xF0"
                     "eXIf",
                     16),
         {}},
        {"a text file", "h.txt", "2024:05:01 10:00:00", {}}};
    TemporaryFolder folder;
    for (const auto& c : cases) {
        EXPECT_EQ(PhotoDate::taken(folder.write(c.file, c.contents)), c.expected) << c.what;
    }
}

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
