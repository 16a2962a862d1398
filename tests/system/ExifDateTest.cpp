#include "system/ExifDate.hpp"

#include <gtest/gtest.h>
#include <libexif/exif-data.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/ExifBytes.hpp"

namespace tavix {
namespace {

using std::string;

using Entry = test::TiffEntry;
using test::tiff;

// The two tags as libexif's full load finds them.
std::pair<string, string> loadedByLibexif(const string& block) {
    std::unique_ptr<ExifData, decltype(&exif_data_unref)> data(exif_data_new(), &exif_data_unref);
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_IGNORE_UNKNOWN_TAGS);
    const string withHeader =
        block.starts_with(string("Exif\0\0", 6)) ? block : string("Exif\0\0", 6) + block;
    exif_data_load_data(data.get(), reinterpret_cast<const unsigned char*>(withHeader.data()),
                        static_cast<unsigned>(withHeader.size()));
    const auto text = [&](ExifTag tag) {
        ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_EXIF], tag);
        if (!entry || !entry->data || entry->format != EXIF_FORMAT_ASCII) return string();
        const auto* chars = reinterpret_cast<const char*>(entry->data);
        return string(chars, ::strnlen(chars, entry->size));
    };
    return {text(EXIF_TAG_DATE_TIME_ORIGINAL), text(EXIF_TAG_OFFSET_TIME_ORIGINAL)};
}

std::pair<string, string> walked(const string& block, std::size_t inHand, bool& needsMore) {
    const auto* data = reinterpret_cast<const unsigned char*>(block.data());
    const auto tags = ExifDate::tags({data, inHand}, block.size(), needsMore);
    if (!tags) return {};
    return {string(tags->date), string(tags->offset)};
}

const Entry date{0x9003, 2, 20, string("2024:05:01 10:00:00\0", 20)};
const Entry later{0x9003, 2, 20, string("2023:01:02 03:04:05\0", 20)};  // another date
const Entry offset{0x9011, 2, 7, string("+02:00\0", 7)};
const Entry pointer{0x8769, 4, 1, ""};
const Entry make{0x010F, 2, 7, string("Camera\0", 7)};
const Entry exposure{0x829A, 5, 1, string("\0\0\0\1\0\0\0\x7D", 8)};

std::vector<string> layouts() {
    std::vector<string> out;
    for (bool motorola : {false, true}) {
        const std::vector<std::pair<std::vector<Entry>, std::vector<Entry>>> shapes = {
            {{pointer}, {date, offset}},
            {{make, {0x0112, 3, 1, "\1\0"}, pointer}, {exposure, date, offset}},
            {{pointer}, {date}},
            {{offset, pointer}, {date}},                         // an offset in IFD0 is no offset
            {{pointer}, {{0x9003, 7, 20, date.value}, offset}},  // not text
            {{pointer}, {{0x9003, 2, 11, string("2024:05:01\0", 11)}}},
            {{pointer}, {{0x9003, 2, 0, date.value}, date}},  // an empty first entry
            {{pointer}, {{0x9003, 2, 20, date.value, 0xFFF0}, later}},
            {{pointer}, {date, later}},
            {{pointer}, {{0xA005, 4, 1, "", 0xFFF0}, date}},  // ends the directory
            {{pointer}, {{0xA005, 4, 1, "", 8}, date, offset}},
            {{pointer}, {{0x0201, 4, 1, "", 0xFFF0}, date}},
            {{{0x8769, 4, 1, "", 0xFFF0}, pointer}, {date}},
            {{pointer, {0x8769, 4, 1, "", 8}}, {date}},
            {{{0x8769, 4, 1, "", 8}, pointer}, {date}},  // the first pointer is the one read
            {{pointer}, {{0x9003, 2, 0xFFFFFFFF, date.value}, date}},
        };
        for (const auto& [ifd0, exif] : shapes) out.push_back(tiff(motorola, ifd0, exif));
    }
    return out;
}

// Over well-formed layouts, and each of them cut at every length and with
// every byte changed, the walk finds what libexif's full load finds.
TEST(ExifDate, FindsTheTagsLibexifFinds) {
    for (const string& layout : layouts()) {
        std::vector<string> variants{layout, string("Exif\0\0", 6) + layout};
        for (std::size_t cut = 0; cut < layout.size(); ++cut)
            variants.push_back(layout.substr(0, cut));
        for (std::size_t i = 0; i < layout.size(); ++i) {
            for (char changed : {'\0', '\x7F', '\xFF'}) {
                string damaged = layout;
                damaged[i] = changed;
                variants.push_back(damaged);
            }
        }
        for (const string& block : variants) {
            bool needsMore = true;
            const auto found = walked(block, block.size(), needsMore);
            ASSERT_EQ(found, loadedByLibexif(block)) << ::testing::PrintToString(block);
            EXPECT_FALSE(needsMore);
        }
        // With only its start at hand, the walk answers as it would with the
        // whole block, or says it needs more.
        bool needsMore = false;
        const auto whole = walked(layout, layout.size(), needsMore);
        for (std::size_t inHand = 0; inHand < layout.size(); ++inHand) {
            const auto part = walked(layout, inHand, needsMore);
            EXPECT_EQ(part, needsMore ? decltype(whole){} : whole) << inHand;
        }
    }
}

// Only the window libexif reads is read: a date whose text ends past it is not
// there, one just within it is.
TEST(ExifDate, ReadsNoFurtherThan64KiB) {
    for (const auto& [padding, within] :
         {std::pair{65000u, true}, {65450u, true}, {65500u, false}}) {
        Entry pad{0x9000, 7, padding, string(padding, 'p')};
        const string block = string("Exif\0\0", 6) + tiff(false, {pointer}, {pad, date});
        bool needsMore = false;
        const auto found = walked(block, block.size(), needsMore);
        EXPECT_EQ(found, loadedByLibexif(block)) << padding;
        EXPECT_EQ(!found.first.empty(), within) << padding;
    }
}

TEST(ExifDate, ParsesTheDateAndItsOffset) {
    using namespace std::chrono;
    const sys_seconds eight{sys_days(2024y / May / 1) + 8h};
    // Without an offset, or with one out of range or malformed, the moment is
    // the camera's clock, read as this machine's local time.
    std::tm local{};
    ::strptime("2024-05-01 10:07:30", "%Y-%m-%d %H:%M:%S", &local);
    local.tm_isdst = -1;
    const sys_seconds clock{seconds(std::mktime(&local))};
    const struct { string date, offset; std::optional<FileSystem::Timestamp> moment; } cases[] = {
        {"2024:05:01 10:00:00", "+02:00", eight}, {"2024:05:01 06:30:00", "-01:30", eight},
        {"2024:05:01 22:00:00", "+14:00", eight}, {"2024:05:01 10:00:00", "+02:00 trailing", eight},
        {"2024:02:29 23:59:60", "+00:00", sys_days(2024y / March / 1) + 0s},
        {"2024:02:30 10:00:00", "+02:00", {}}, {"2024:13:01 10:00:00", "+02:00", {}},
        {"2024:05:00 10:00:00", "+02:00", {}}, {"2024:05:01 24:00:00", "+02:00", {}},
        {"2024:05:01 10:60:00", "+02:00", {}}, {"2024:05:01 10:00:61", "+02:00", {}},
        {"0000:05:01 10:00:00", "+02:00", {}}, {"2024:05:01 10:00", "+02:00", {}},
        {"    :  :     :  :  ", "+02:00", {}}, {"2024:05:01 10:07:30", "", clock},
        {"2024:05:01 10:07:30", "+15:00", clock}, {"2024:05:01 10:07:30", "+02:60", clock},
        {"2024:05:01 10:07:30", "02:00", clock}, {"2024:05:01 10:07:30", "+2:00", clock},
    };
    for (const auto& c : cases) {
        const auto dates = ExifDate::parse(c.date, c.offset);
        EXPECT_EQ(dates.moment, c.moment) << c.date << " " << c.offset;
        EXPECT_EQ(dates.cameraClock.has_value(), c.moment.has_value()) << c.date;
        EXPECT_EQ(ExifDate::parse(c.date, c.offset, ExifDate::Wanted::moment).moment, c.moment);
    }
}

}  // namespace
}  // namespace tavix
