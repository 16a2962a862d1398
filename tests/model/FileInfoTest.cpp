#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
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

// The kind comes from the contents, else from the extension; a file that is
// gone keeps its folder and the kind its extension names, and shows a dash for
// the rest. The list's columns show the same size and dates and nothing else.
// An image also shows its dimensions and colour space.
TEST(ReadsFileInfo, SizeKindDatesAndImageOfFilesThereAndGone) {
    const LocaleAndZone settings{"en_US", "UTC"};
    test::TemporaryFolder temp;
    const std::string binary("\x01\x02\x00\xFF\xFE", 5), none = "\u2014";
    const struct {
        std::string name;
        std::optional<std::string> contents;  // none: no such file
        std::string size, kind;
    } cases[] = {
        {"notes.txt", "milk\neggs\n", "10 bytes", "plain text document"},
        {"data.xyz1", binary, "5 bytes", "XYZ1"},
        {"data", binary, "5 bytes", ""},
        {"report.final.pdf", {}, none, "PDF"},
    };
    for (const auto& c : cases) {
        if (c.contents) temp.write(c.name, *c.contents);
        const FileInfo info = FileInfo::read(temp.path() / c.name);
        EXPECT_EQ(info.path, temp.path().native()) << c.name;
        EXPECT_EQ(info.size + " " + info.kind, c.size + " " + c.kind) << c.name;
        EXPECT_FALSE(info.dimensions || info.colorSpace) << c.name;
        EXPECT_EQ(info.created + info.modified == none + none, !c.contents) << c.name;
        EXPECT_EQ(FileInfo::readListing(temp.path() / c.name),
                  (FileInfo{"", info.size, info.created, info.modified, "", {}, {}}))
            << c.name;
    }
    const fs::path image = temp.path() / "holiday.jpg";
    std::string why;
    ASSERT_TRUE(test::writeImage(image, {1920, 1080, 3, VIPS_INTERPRETATION_sRGB}, why)) << why;
    const FileInfo info = FileInfo::read(image);
    EXPECT_EQ(info.kind + ", " + info.dimensions.value_or("") + ", " + info.colorSpace.value_or(""),
              "JPEG image, 1920 \u00D7 1080, RGB");
}

}  // namespace
}  // namespace tavix
