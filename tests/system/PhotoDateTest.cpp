#include "system/PhotoDate.hpp"

#include <gtest/gtest.h>

#include "support/ExifBytes.hpp"
#include "support/TemporaryFolder.hpp"
#include "support/TestImages.hpp"

namespace tavix {
namespace {

using namespace std::chrono;
using namespace test;

// 2024-05-01 10:00:00 at +02:00.
const FileSystem::Timestamp eightUtc{sys_days(2024y / May / 1) + 8h};

const std::string withOffset = exifBlock("2024:05:01 10:00:00", "+02:00");

// A JPEG segment of `marker` around `body`.
std::string segment(char marker, const std::string& body) {
    const std::size_t length = body.size() + 2;
    return std::string("\xFF", 1) + marker + char(length >> 8) + char(length & 0xFF) + body;
}

// The JPEG of jpegWith() with `segments` between its start and the EXIF block.
std::string jpegAfter(const std::string& segments, const std::string& exif) {
    return "\xFF\xD8" + segments + jpegWith(exif).substr(2);
}

// The HEIC fixture with its EXIF item (the file's last bytes, the last extent
// of its item locations) grown with zeros to `size` bytes.
std::string heicWithExifItemOf(std::uint32_t size) {
    std::string heic = fixture("dated.heic");
    const auto read32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<unsigned char>(heic[at + i]);
        return v;
    };
    const std::size_t extentLength = heic.find("iinf") - 8, mdat = heic.rfind("mdat") - 4;
    const std::uint32_t grown = size - read32(extentLength);
    heic.replace(extentLength, 4, bigEndian32(size));
    heic.replace(mdat, 4, bigEndian32(read32(mdat) + grown));
    return heic + std::string(grown, '\0');
}

TEST(PhotoDate, ReadsTheDateTakenFromTheHeader) {
    const struct { std::string what, file, contents; std::optional<FileSystem::Timestamp> date; }
        cases[] = {
        {"a JPEG's APP1 block", "a.jpg", jpegWith(withOffset), eightUtc},
        {"a HEIC's EXIF item", "a.heic", fixture("dated.heic"), eightUtc},
        {"an AVIF's EXIF item", "a.avif", fixture("dated.avif"), eightUtc},
        {"a HEIC's EXIF item of the largest size read", "b.heic", heicWithExifItemOf(256 << 10),
         eightUtc},
        {"a HEIC's EXIF item a byte larger", "c.heic", heicWithExifItemOf((256 << 10) + 1), {}},
        {"a HEIC with more top-level boxes than libheif is given", "p.heic",
         fixture("dated.heic") + freeBoxes(1000), {}},
        {"a JPEG whose date lies past its first 4 KiB", "l.jpg",
         jpegWith(exifBlock("2024:05:01 10:00:00", "+02:00", 5000)), eightUtc},
        {"a JPEG whose EXIF block starts past its first 4 KiB", "m.jpg",
         jpegAfter(segment('\xE2', std::string(6000, 'i')), withOffset), eightUtc},
        {"a JPEG with XMP before its EXIF block", "x.jpg",
         jpegAfter(segment('\xE1', "http://ns.adobe.com/xap/1.0/"), withOffset), eightUtc},
        {"a JPEG with a fill byte before its EXIF block", "y.jpg", jpegAfter("\xFF", withOffset),
         eightUtc},
        {"a JPEG whose image data comes first", "s.jpg",
         jpegAfter(segment('\xDA', "scan"), withOffset), {}},
        {"a PNG's eXIf chunk, after the image data", "a.png", pngWith(withOffset), eightUtc},
        {"a WebP's EXIF chunk", "a.webp", webpWith(withOffset), eightUtc},
        {"a TIFF's own directory", "a.tif", withOffset + std::string(100, '\0'), eightUtc},
        {"a JPEG without EXIF", "e.jpg", std::string("\xFF\xD8\xFF\xDB\x00\x04\x00\x00", 8), {}},
        {"a cut-off EXIF block", "f.jpg", jpegWith(withOffset).substr(0, 30), {}},
        {"a PNG whose eXIf claims 4 GiB", "g.png",
         std::string("\x89PNG\r\n\x1A\n", 8) + bigEndian32(0xFFFFFFF0) + "eXIf", {}},
        {"a text file", "h.txt", "2024:05:01 10:00:00", {}}};
    TemporaryFolder folder;
    for (const auto& c : cases) {
        const auto file = folder.write(c.file, c.contents);
        EXPECT_EQ(PhotoDate::taken(file), c.date) << c.what;
        // Without a date taken, the modification time stands in.
        EXPECT_EQ(PhotoDate::takenOrModified(file),
                  c.date ? c.date : FileSystem::modificationTime(file)) << c.what;
    }
    // Without an offset the camera's clock is the date taken; with one, the
    // clock is still read, from the same file as the moment.
    const auto clock = ExifDate::parse("2024:05:01 10:00:00", "").cameraClock;
    EXPECT_EQ(PhotoDate::taken(folder.write("n.jpg", jpegWith(exifBlock("2024:05:01 10:00:00")))),
              clock);
    const auto file = folder.write("a.jpg", jpegWith(withOffset));
    EXPECT_EQ(PhotoDate::read(file), (ExifDate::Dates{eightUtc, clock}));
    EXPECT_EQ(PhotoDate::taken(file, PhotoDate::Reading::cameraClock), clock);
}

}  // namespace
}  // namespace tavix
