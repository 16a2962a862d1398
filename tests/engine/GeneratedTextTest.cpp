#include <gtest/gtest.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <memory>

#include "engine/RenameEngine.hpp"
#include "rules/Catalogue.hpp"
#include "support/Files.hpp"
#include "support/LocaleAndZone.hpp"
#include "support/TemporaryFolder.hpp"
#include "support/TestImages.hpp"

namespace tavix {
namespace {

using test::TemporaryFolder;

// The names a step gives "n" at three indexes in a row from `from`, joined by "|".
TEST(GeneratedSteps, NumberLetterAndNameFilesInListOrder) {
    using R = RenameRule;
    constexpr auto pre = Position::prefix;
    constexpr auto suf = Position::suffix;
    constexpr std::int64_t max = INT64_MAX;
    const std::string top = std::to_string(max), below = std::to_string(max - 1);
    const struct {
        RenameRule rule;
        std::int64_t from;
        std::string names;
    } rows[] = {
        {R{Sequence{1, 1, 3, pre, ""}}, 0, "001n|002n|003n"},
        {R{Sequence{0, 0, 0, pre, ""}}, 0, "0n|1n|2n"},
        {R{Sequence{9, 5, 2, suf, "_"}}, 0, "n_09|n_14|n_19"},
        {R{Sequence{-5, 1, 3, suf, ""}}, 0, "n-05|n-04|n-03"},
        {R{Sequence{1, -4, 1, suf, ""}}, 0, "n1|n2|n3"},
        // Saturate instead of overflowing.
        {R{Sequence{max - 1, max, 1, suf, ""}}, 0, "n" + below + "|n" + top + "|n" + top},
        {R{RomanNumeral{max, suf, ""}}, 4, "n" + top + "|n" + top + "|n" + top},
        {R{RomanNumeral{0, suf, "-"}}, 0, "n-0|n-I|n-II"},
        {blank(RuleAction::letterSequence), 25, "n-z|n-aa|n-ab"},
        {R{LetterSequence{true, pre, " "}}, 27, "AB n|AC n|AD n"},
    };
    for (const auto& row : rows) {
        std::string names;
        for (std::int64_t i = row.from; i < row.from + 3; ++i) {
            names += (names.empty() ? "" : "|") + RenameEngine::apply(row.rule, "n", i, "/x/n");
        }
        EXPECT_EQ(names, row.names);
    }
    // A huge padding is capped, not allocated.
    EXPECT_EQ(RenameEngine::apply((R{Sequence{1, 1, max, suf, ""}}), "", 0, "/x/n").size(), 255u);
    EXPECT_EQ(RenameEngine::apply((R{ParentFolder{suf, ""}}), "n", 0, "/photos/Trip 2024/n.jpg"),
              "nTrip 2024");
    EXPECT_EQ(RenameEngine::apply(blank(RuleAction::parentFolder), "n", 0, "/n.jpg"), "/-n");
}

class FixedLocaleAndZone : public ::testing::Test {
protected:
    test::LocaleAndZone settings{"en_US", "UTC"};
};

TEST_F(FixedLocaleAndZone, DateStampFormatsTheModificationTime) {
    TemporaryFolder folder;
    const auto file = folder.write("scan.pdf");
    test::setModified(file, 1'700'000'000);  // 2023-11-14 22:13:20 UTC
    const auto stamp = [&](const std::string& pattern, Position where, const std::string& sep) {
        return RenameEngine::apply(RenameRule{DateStamp{pattern, where, sep}}, "scan", 0, file);
    };
    EXPECT_EQ(stamp("yyyy-MM-dd", Position::prefix, "-"), "2023-11-14-scan");
    EXPECT_EQ(stamp("", Position::suffix, " "), "scan 2023-11-14");
    EXPECT_EQ(stamp("EEEE d MMMM yyyy", Position::suffix, ", "), "scan, Tuesday 14 November 2023");
    EXPECT_EQ(stamp("HH.mm.ss", Position::prefix, "_"), "22.13.20_scan");
    EXPECT_EQ(stamp("''", Position::prefix, "_"), "'_scan");
    // A tenth of a second before 1970 is still 1969: fractions round toward the past.
    test::setModified(file, 0, -100'000'000);
    EXPECT_EQ(stamp("yyyy-MM-dd HH.mm.ss", Position::prefix, " "), "1969-12-31 23.59.59 scan");
    test::setModified(file, 1'700'000'000);

    test::LocaleAndZone::set("en_US", "Asia/Tokyo");
    EXPECT_EQ(stamp("yyyy-MM-dd HH.mm", Position::prefix, " "), "2023-11-15 07.13 scan");
    test::LocaleAndZone::set("de_DE", "Asia/Tokyo");
    EXPECT_EQ(stamp("d. MMMM", Position::prefix, " "), "15. November scan");
}

TEST_F(FixedLocaleAndZone, DateStampOfAVanishedFileUsesTheCurrentTime) {
    const std::string stamped = RenameEngine::apply(
        RenameRule{DateStamp{"yyyy", Position::prefix, "-"}}, "n", 0, "/no/such/file");
    ASSERT_EQ(stamped.size(), 6u);
    EXPECT_GE(std::stoi(stamped.substr(0, 4)), 2025);
}

TEST(GeneratedSteps, ImageDimensionsAddThePixelSizeOfImagesOnly) {
    TemporaryFolder folder;
    const auto png = folder.path() / "shot.png";
    std::string why;
    ASSERT_TRUE(test::writeImage(png, {.width = 640, .height = 480}, why)) << why;
    const auto rule = RenameRule{ImageDimensions{Position::prefix, " "}};
    EXPECT_EQ(RenameEngine::apply(rule, "shot", 0, png), "640x480 shot");
    EXPECT_EQ(RenameEngine::apply(blank(RuleAction::imageDimensions), "shot", 0, png),
              "shot-640x480");
    EXPECT_EQ(RenameEngine::apply(rule, "notes", 0, folder.write("notes.txt", "not an image")),
              "notes");
    EXPECT_EQ(RenameEngine::apply(rule, "gone", 0, folder.path() / "gone.png"), "gone");
}

}  // namespace
}  // namespace tavix
