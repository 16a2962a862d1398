#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>

#include "model/FileInfo.hpp"
#include "support/Files.hpp"
#include "support/LocaleAndZone.hpp"
#include "support/TemporaryFolder.hpp"
#include "support/TestImages.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;

using test::LocaleAndZone;

// Decimal units; rounding up to a thousand of a unit moves to the next unit.
TEST(FormatsSizes, InDecimalUnitsForTheLocale) {
    const LocaleAndZone english("en_US", "UTC");
    const std::pair<std::uint64_t, std::string> cases[] = {
        {1, "1 byte"},         {999, "999 bytes"},
        {1000, "1 kB"},        {999'499, "999 kB"},
        {999'500, "1 MB"},     {1'050'000, "1.1 MB"},
        {999'950'000, "1 GB"}, {std::numeric_limits<std::uint64_t>::max(), "18.4 EB"}};
    for (const auto& [bytes, text] : cases) EXPECT_EQ(FileInfo::formatSize(bytes), text) << bytes;
    test::LocaleAndZone::set("de_DE", "UTC");
    EXPECT_EQ(FileInfo::formatSize(1'500'000), "1,5 MB");
}

TEST(FormatsDates, WithMediumDateAndShortTime) {
    test::TemporaryFolder temp;
    const fs::path file = temp.write("a.txt", "a");
    test::setModified(file, 1'709'647'620);  // 2024-03-05 14:07:00 UTC
    const struct {
        const char *locale, *zone, *text;
    } cases[] = {{"en_US", "UTC", "Mar 5, 2024, 2:07\u202FPM"},
                 {"en_US", "Europe/Berlin", "Mar 5, 2024, 3:07\u202FPM"},
                 {"de_DE", "UTC", "05.03.2024, 14:07"}};
    for (const auto& c : cases) {
        const LocaleAndZone settings(c.locale, c.zone);
        EXPECT_EQ(FileInfo::read(file).modified, c.text);
    }
}

class ReadsFileInfo : public ::testing::Test {
protected:
    LocaleAndZone settings{"en_US", "UTC"};
    test::TemporaryFolder temp;
};

TEST_F(ReadsFileInfo, TextFile) {
    const fs::path file = temp.write("notes.txt", "milk\neggs\n");
    const FileInfo info = FileInfo::read(file);
    EXPECT_EQ(info.path, temp.path().native());
    EXPECT_EQ(info.size, "10 bytes");
    EXPECT_EQ(info.kind, "plain text document");
    EXPECT_FALSE(info.dimensions || info.colorSpace);
    EXPECT_EQ(FileInfo::read(temp.write("empty.dat")).size, "0 bytes");
    // Unknown content falls back to the extension.
    const std::string binary("\x01\x02\x00\xFF\xFE", 5);
    EXPECT_EQ(FileInfo::read(temp.write("data.xyz1", binary)).kind, "XYZ1");
    EXPECT_EQ(FileInfo::read(temp.write("data", binary)).kind, "");
}

TEST_F(ReadsFileInfo, DeletedFileKeepsOnlyItsFolderAndExtension) {
    const fs::path file = temp.write("report.final.pdf", "%PDF-1.4");
    fs::remove(file);
    const std::string none = "\u2014";
    EXPECT_EQ(FileInfo::read(file), (FileInfo{.path = temp.path().native(),
                                              .size = none,
                                              .created = none,
                                              .modified = none,
                                              .kind = "PDF",
                                              .dimensions = {},
                                              .colorSpace = {}}));
    EXPECT_EQ(FileInfo::read(temp.path() / "Makefile").kind, "");
    EXPECT_EQ(FileInfo::read(temp.path() / "caf\u00e9.gr\u00fc\u00df").kind, "GR\u00dcSS");
}

TEST_F(ReadsFileInfo, ListingShowsTheSameSizeAndDatesAndNothingElse) {
    const fs::path file = temp.write("notes.txt", "milk\neggs\n");
    const FileInfo full = FileInfo::read(file);
    EXPECT_EQ(FileInfo::readListing(file),
              (FileInfo{"", full.size, full.created, full.modified, "", {}, {}}));
    fs::remove(file);
    EXPECT_EQ(FileInfo::readListing(file).modified, "\u2014");
}

TEST_F(ReadsFileInfo, ImageDimensionsAndColourSpace) {
    const fs::path file = temp.path() / "holiday.jpg";
    std::string why;
    ASSERT_TRUE(test::writeImage(file, {1920, 1080, 3, VIPS_INTERPRETATION_sRGB}, why)) << why;
    const FileInfo info = FileInfo::read(file);
    EXPECT_EQ(info.kind, "JPEG image");
    EXPECT_EQ(info.dimensions, "1920 \u00D7 1080");
    EXPECT_EQ(info.colorSpace, "RGB");
}

}  // namespace
}  // namespace tavix
