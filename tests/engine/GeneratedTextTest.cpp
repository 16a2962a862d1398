#include <gtest/gtest.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <memory>

#include "engine/RenameEngine.hpp"
#include "rules/Catalogue.hpp"
#include "support/LocaleAndZone.hpp"
#include "support/TemporaryFolder.hpp"
#include "support/TestImages.hpp"

namespace tavix {
namespace {

using testing::TemporaryFolder;

std::vector<std::string> firstThree(const RenameRule& rule, const std::string& name = "n") {
    std::vector<std::string> out;
    for (std::int64_t i = 0; i < 3; ++i) out.push_back(RenameEngine::apply(rule, name, i, "/x/n"));
    return out;
}

using Names = std::vector<std::string>;

TEST(GeneratedSteps, NumberFilesInListOrder) {
    EXPECT_EQ(firstThree(RenameRule::sequence(1, 1, 3, Position::prefix, "")),
              (Names{"001n", "002n", "003n"}));
    EXPECT_EQ(firstThree(RenameRule::sequence(0, 0, 0, Position::prefix, "")),
              (Names{"0n", "1n", "2n"}));
    EXPECT_EQ(firstThree(RenameRule::sequence(9, 5, 2, Position::suffix, "_")),
              (Names{"n_09", "n_14", "n_19"}));
    EXPECT_EQ(firstThree(RenameRule::sequence(-5, 1, 3, Position::suffix, "")),
              (Names{"n-05", "n-04", "n-03"}));
    EXPECT_EQ(firstThree(RenameRule::sequence(1, -4, 1, Position::suffix, "")),
              (Names{"n1", "n2", "n3"}));
}

TEST(GeneratedSteps, SaturateInsteadOfOverflowing) {
    const auto big = RenameRule::sequence(INT64_MAX - 1, INT64_MAX, 1, Position::suffix, "");
    EXPECT_EQ(firstThree(big),
              (Names{"n9223372036854775806", "n9223372036854775807", "n9223372036854775807"}));
    const auto low = RenameRule::romanNumeral(INT64_MAX, Position::suffix, "");
    EXPECT_EQ(RenameEngine::apply(low, "n", 5, "/x/n"), "n9223372036854775807");
    // A huge padding is capped, not allocated.
    const auto wide = RenameRule::sequence(1, 1, INT64_MAX, Position::suffix, "");
    EXPECT_EQ(RenameEngine::apply(wide, "", 0, "/x/n").size(), 255u);
}

TEST(GeneratedSteps, RomanNumeralsLettersAndTheParentFolder) {
    EXPECT_EQ(firstThree(RenameRule::romanNumeral(0, Position::suffix, "-")),
              (Names{"n-0", "n-I", "n-II"}));
    EXPECT_EQ(RenameEngine::apply(blank(RuleAction::letterSequence), "n", 26, "/x/n"), "n-aa");
    EXPECT_EQ(RenameEngine::apply(RenameRule::letterSequence(true, Position::prefix, " "), "n", 27,
                                  "/x/n"),
              "AB n");
    EXPECT_EQ(RenameEngine::apply(RenameRule::parentFolder(Position::suffix, ""), "n", 0,
                                  "/photos/Trip 2024/n.jpg"),
              "nTrip 2024");
    EXPECT_EQ(RenameEngine::apply(blank(RuleAction::parentFolder), "n", 0, "/n.jpg"), "/-n");
}

class FixedLocaleAndZone : public ::testing::Test {
protected:
    static void setModified(const std::filesystem::path& file, std::int64_t secondsSinceEpoch) {
        using namespace std::chrono;
        const auto time = file_clock::from_sys(sys_seconds(seconds(secondsSinceEpoch)));
        std::filesystem::last_write_time(file, time);
    }

    testing::LocaleAndZone settings{"en_US", "UTC"};
};

TEST_F(FixedLocaleAndZone, DateStampFormatsTheModificationTime) {
    TemporaryFolder folder;
    const auto file = folder.write("scan.pdf");
    setModified(file, 1'700'000'000);  // 2023-11-14 22:13:20 UTC
    const auto stamp = [&](const std::string& pattern, Position where, const std::string& sep) {
        return RenameEngine::apply(RenameRule::dateStamp(pattern, where, sep), "scan", 0, file);
    };
    EXPECT_EQ(stamp("yyyy-MM-dd", Position::prefix, "-"), "2023-11-14-scan");
    EXPECT_EQ(stamp("", Position::suffix, " "), "scan 2023-11-14");
    EXPECT_EQ(stamp("EEEE d MMMM yyyy", Position::suffix, ", "), "scan, Tuesday 14 November 2023");
    EXPECT_EQ(stamp("HH.mm.ss", Position::prefix, "_"), "22.13.20_scan");
    EXPECT_EQ(stamp("''", Position::prefix, "_"), "'_scan");
    // A tenth of a second before 1970 is still 1969: fractions round toward the past.
    using namespace std::chrono;
    std::filesystem::last_write_time(file, file_clock::from_sys(sys_time<milliseconds>(-100ms)));
    EXPECT_EQ(stamp("yyyy-MM-dd HH.mm.ss", Position::prefix, " "), "1969-12-31 23.59.59 scan");
    setModified(file, 1'700'000'000);

    testing::LocaleAndZone::set("en_US", "Asia/Tokyo");
    EXPECT_EQ(stamp("yyyy-MM-dd HH.mm", Position::prefix, " "), "2023-11-15 07.13 scan");
    testing::LocaleAndZone::set("de_DE", "Asia/Tokyo");
    EXPECT_EQ(stamp("d. MMMM", Position::prefix, " "), "15. November scan");
}

TEST_F(FixedLocaleAndZone, DateStampOfAVanishedFileUsesTheCurrentTime) {
    const std::string stamped = RenameEngine::apply(
        RenameRule::dateStamp("yyyy", Position::prefix, "-"), "n", 0, "/no/such/file");
    ASSERT_EQ(stamped.size(), 6u);
    EXPECT_GE(std::stoi(stamped.substr(0, 4)), 2025);
}

TEST(GeneratedSteps, ImageDimensionsAddThePixelSizeOfImagesOnly) {
    TemporaryFolder folder;
    const auto png = folder.path() / "shot.png";
    std::string why;
    ASSERT_TRUE(testing::writeImage(png, {.width = 640, .height = 480}, why)) << why;
    const auto rule = RenameRule::imageDimensions(Position::prefix, " ");
    EXPECT_EQ(RenameEngine::apply(rule, "shot", 0, png), "640x480 shot");
    EXPECT_EQ(RenameEngine::apply(blank(RuleAction::imageDimensions), "shot", 0, png),
              "shot-640x480");
    EXPECT_EQ(RenameEngine::apply(rule, "notes", 0, folder.write("notes.txt", "not an image")),
              "notes");
    EXPECT_EQ(RenameEngine::apply(rule, "gone", 0, folder.path() / "gone.png"), "gone");
}

}  // namespace
}  // namespace tavix
