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

// The kind the system names, else the extension's; the date modified in the
// locale and zone, a medium date and a short time; a file that is gone keeps its
// folder and the kind its extension names, and shows a dash for the rest. The
// list's columns show the same size and dates and nothing else. An image also
// shows its dimensions and colour space.
TEST(ReadsFileInfo, SizeKindDatesAndImageOfFilesThereAndGone) {
    test::TemporaryFolder temp;
    const std::string binary("\x01\x02\x00\xFF\xFE", 5), none = "\u2014";
    const struct {
        const char *locale, *zone;
        std::string name;
        std::optional<std::string> contents;  // none: no such file
        std::string shown;                    // size, kind and date modified
    } cases[] = {
        {"en_US", "Europe/Berlin", "data.xyz1", binary, "5 bytes|XYZ1|Mar 5, 2024, 3:07\u202FPM"},
        {"de_DE", "UTC", "data", binary, "5 bytes||05.03.2024, 14:07"},
        {"en_US", "UTC", "report.final.pdf", {}, none + "|PDF|" + none},
    };
    for (const auto& c : cases) {
        const LocaleAndZone settings(c.locale, c.zone);
        // 2024-03-05 14:07:00 UTC
        if (c.contents) test::setModified(temp.write(c.name, *c.contents), 1'709'647'620);
        const FileInfo info = FileInfo::read(temp.path() / c.name);
        EXPECT_EQ(info.path, temp.path().native()) << c.name;
        EXPECT_EQ(info.size + "|" + info.kind + "|" + info.modified, c.shown) << c.name;
        EXPECT_EQ(info.created == none, !c.contents) << c.name;
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
