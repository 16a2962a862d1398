#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "journal/Encoding.hpp"
#include "journal/Record.hpp"

namespace tavix::journal {
namespace {

using nlohmann::json;

// The hand-written string writer against the library's parser: every byte
// value below 0x80 and every escape, at every place of an eight-byte word and
// in the bytes after the last whole word.
TEST(Encoding, EveryByteAndEscapeRoundTripsThroughTheLibrary) {
    for (int byte = 1; byte < 0x80; ++byte) {
        for (std::size_t before = 0; before < 18; ++before) {
            const std::string text = std::string(before % 9, 'x') + static_cast<char>(byte) +
                                     (before < 9 ? "z\u00e9\U0001F600" : "z");
            std::string out;
            appendString(out, text);
            ASSERT_EQ(json::parse(out).get<std::string>(), text) << byte << " " << out;
        }
    }
    std::string nul;
    appendString(nul, std::string("a\0b", 3));
    EXPECT_EQ(json::parse(nul).get<std::string>(), std::string("a\0b", 3));
}

// Any bytes of a path, UTF-8 or not, come back byte for byte through the
// record reader.
TEST(Encoding, PathsOfEveryByteValueComeBackFromARecord) {
    std::string all;
    for (int byte = 1; byte < 256; ++byte) all += static_cast<char>(byte);
    for (const std::string& path : {std::string("/d/caf\xC3\xA9"), std::string("/d/caf\xE9"), all,
                                    std::string("/d/\"\\\n")}) {
        std::string line = "{\"from\":";
        appendPath(line, path);
        line += '}';
        RecordEvents events;
        ASSERT_TRUE(parseRecord(line, events)) << events.error;
        EXPECT_EQ(events.record.path("from"), path);
    }
}

TEST(Encoding, BirthTimesRoundTripToTheNanosecond) {
    const auto at = [](std::int64_t seconds, std::int64_t nanoseconds) {
        return FileSystem::Timestamp(std::chrono::seconds(seconds) +
                                     std::chrono::nanoseconds(nanoseconds));
    };
    const std::pair<FileSystem::Timestamp, std::string> cases[] = {
        {at(1'765'000'000, 7), "2025-12-06T05:46:40.000000007Z"},
        {at(-1, 999'999'999), "1969-12-31T23:59:59.999999999Z"},
        // A leap day of a 400th year; 2100 has none; the last of the range.
        {at(951'782'400, 123'456'789), "2000-02-29T00:00:00.123456789Z"},
        {at(4'107'542'399, 0), "2100-02-28T23:59:59.000000000Z"},
        {at(9'223'372'036, 854'775'807), "2262-04-11T23:47:16.854775807Z"},
    };
    for (const auto& [time, text] : cases) {
        std::string written;
        appendTime(written, time);
        EXPECT_EQ(written, text);
        EXPECT_EQ(parseTime(text), time) << text;
    }
    for (const char* bad : {"2025-12-06T05:46:40Z", "2025-12-06T05:46:40.00000000xZ", "",
                            "2025-12-06 05:46:40.000000007Z"})
        EXPECT_FALSE(parseTime(bad)) << bad;
}

}  // namespace
}  // namespace tavix::journal
