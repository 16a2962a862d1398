// Version comparison and the decoding of the update feed.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "update/Version.hpp"
#include "update/UpdateChecker.hpp"

namespace {

using tavix::AppUpdate;
namespace UpdateChecker = tavix::UpdateChecker;

struct VersionCase {
    std::string candidate;
    std::string current;
    bool newer;
};

void PrintTo(const VersionCase& c, std::ostream* out) {
    *out << '"' << c.candidate << "\" vs \"" << c.current << '"';
}

class Versions : public ::testing::TestWithParam<VersionCase> {};

TEST_P(Versions, CompareByNumericPieces) {
    const auto& c = GetParam();
    EXPECT_EQ(UpdateChecker::isNewer(c.candidate, c.current), c.newer);
}

INSTANTIATE_TEST_SUITE_P(
    UpdateChecker, Versions,
    ::testing::Values(
        // Pieces compare as numbers, not as text; missing pieces count as 0.
        VersionCase{"1.2.10", "1.2.9", true}, VersionCase{"1.2.9", "1.2.10", false},
        VersionCase{"2", "1.99.99", true}, VersionCase{"01.02", "1.2", false},
        VersionCase{"1.2", "1.2.0", false}, VersionCase{"1.2.0.1", "1.2", true},
        // Pieces that are not whole numbers count as 0.
        VersionCase{"2.1-beta", "2.0", false}, VersionCase{"1.2 ", "1.0", false},
        // An optional leading sign; a second sign or a lone sign is not a number.
        VersionCase{"+2", "1", true}, VersionCase{"-1", "-2", true},
        VersionCase{"+-3", "0", false}, VersionCase{"1.-", "1.0", false},
        // Empty pieces are dropped.
        VersionCase{"1..3", "1.2", true}, VersionCase{"1", "", true},
        // 64-bit pieces; one that overflows counts as 0.
        VersionCase{"9223372036854775807", "9223372036854775806", true},
        VersionCase{"9223372036854775808", "1", false},
        VersionCase{"-9223372036854775808", "-9223372036854775807", false}));

struct FeedCase {
    std::string what;
    std::string body;
    std::optional<UpdateChecker::Feed> feed;
};

void PrintTo(const FeedCase& c, std::ostream* out) {
    *out << c.what;
}

class Feeds : public ::testing::TestWithParam<FeedCase> {};

TEST_P(Feeds, DecodeOnlyTheDocumentedShape) {
    const auto& c = GetParam();
    EXPECT_EQ(UpdateChecker::decodeFeed(c.body), c.feed);
}

using Feed = UpdateChecker::Feed;
INSTANTIATE_TEST_SUITE_P(
    UpdateChecker, Feeds,
    ::testing::Values(
        FeedCase{"all keys", R"({"version":"2.0","notes":"Faster.","url":"https://x.org/d"})",
                 Feed{"2.0", "Faster.", "https://x.org/d"}},
        FeedCase{"no notes", R"({"version":"2.0","url":"https://x.org/d"})",
                 Feed{"2.0", std::nullopt, "https://x.org/d"}},
        FeedCase{"other keys ignored, escapes decoded",
                 "{\"url\":\"u\",\"extra\":{\"a\":[1]},\"version\":\"3\",\"notes\":\"Caf\\u00e9\"}",
                 Feed{"3", "Caf\xc3\xa9", "u"}},
        FeedCase{"no version", R"({"notes":"n","url":"u"})", std::nullopt},
        FeedCase{"no url", R"({"version":"2.0","notes":"n"})", std::nullopt},
        FeedCase{"numeric version", R"({"version":2.0,"url":"u"})", std::nullopt},
        FeedCase{"null url", R"({"version":"2","url":null})", std::nullopt},
        FeedCase{"notes as number", R"({"version":"2","notes":5,"url":"u"})", std::nullopt},
        FeedCase{"an array", R"([{"version":"2","url":"u"}])", std::nullopt},
        FeedCase{"truncated", R"({"version":"2.0","url":"ht)", std::nullopt},
        FeedCase{"trailing garbage", R"({"version":"2","url":"u"} x)", std::nullopt},
        FeedCase{"invalid UTF-8", "{\"version\":\"2\xff\",\"url\":\"u\"}", std::nullopt}));

// An address, and whether it is a web page the download button may open.
using UrlCase = std::pair<std::string, bool>;
class DownloadAddresses : public ::testing::TestWithParam<UrlCase> {};

TEST_P(DownloadAddresses, OnlyWebPagesAreOpened) {
    EXPECT_EQ(UpdateChecker::isWebURL(GetParam().first), GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(
    UpdateChecker, DownloadAddresses,
    ::testing::Values(
        UrlCase{"https://example.org/download", true}, UrlCase{"HTTP://Example.org", true},
        UrlCase{"https://user@127.0.0.1:8080/a?b#c", true}, UrlCase{"file:///usr/bin/tavix", false},
        UrlCase{"javascript:alert(1)", false}, UrlCase{"example.org/download", false},
        UrlCase{"https:example.org", false}, UrlCase{"https:///path", false},
        UrlCase{"https://exa mple.org/", false}, UrlCase{"https://example.org/\n", false}));

TEST(UpdateChecker, UpdateFromAFeedBody) {
    const std::string feed = R"({"version":"2.0","notes":"New.","url":"https://x.org/d"})";
    EXPECT_EQ(UpdateChecker::updateFrom(feed, "1.9"),
              (AppUpdate{"2.0", "New.", "https://x.org/d"}));
    // Not newer, not a web address, not decodable: no update.
    EXPECT_EQ(UpdateChecker::updateFrom(feed, "2.0"), std::nullopt);
    EXPECT_EQ(UpdateChecker::updateFrom(R"({"version":"2.0","url":"file:///tmp/x"})", "1"),
              std::nullopt);
}

TEST(UpdateChecker, BodiesOverTheLimitAreNotDecoded) {
    const std::string head = R"({"version":"2.0","url":"https://x.org/d","pad":")";
    const std::string tail = "\"}";
    std::string atLimit =
        head + std::string(UpdateChecker::maxFeedSize - head.size() - tail.size(), 'a') + tail;
    ASSERT_EQ(atLimit.size(), UpdateChecker::maxFeedSize);
    EXPECT_TRUE(UpdateChecker::updateFrom(atLimit, "1").has_value());
    const std::string overLimit = head + std::string(UpdateChecker::maxFeedSize, 'a') + tail;
    EXPECT_EQ(UpdateChecker::updateFrom(overLimit, "1"), std::nullopt);
}

}  // namespace
