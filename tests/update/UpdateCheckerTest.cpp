// Version comparison and the decoding of the update feed.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "update/UpdateChecker.hpp"
#include "update/Version.hpp"

namespace {

using tavix::AppUpdate;
namespace UpdateChecker = tavix::UpdateChecker;
using Feed = UpdateChecker::Feed;

TEST(UpdateChecker, VersionsCompareByNumericPieces) {
    const struct {
        std::string candidate, current;
        bool newer;
    } cases[] = {
        // Pieces compare as numbers, not as text; missing pieces count as 0.
        {"1.2.10", "1.2.9", true}, {"1.2.9", "1.2.10", false}, {"2", "1.99.99", true},
        {"01.02", "1.2", false}, {"1.2", "1.2.0", false}, {"1.2.0.1", "1.2", true},
        // Pieces that are not whole numbers count as 0.
        {"2.1-beta", "2.0", false}, {"1.2 ", "1.0", false},
        // An optional leading sign; a second sign or a lone sign is not a number.
        {"+2", "1", true}, {"-1", "-2", true}, {"+-3", "0", false}, {"+-3", "-3", true},
        {"1.-", "1.0", false},
        // Empty pieces are dropped.
        {"1..3", "1.2", true}, {"1", "", true},
        // 64-bit pieces; one that overflows counts as 0.
        {"9223372036854775807", "9223372036854775806", true},
        {"9223372036854775808", "1", false},
        {"-9223372036854775808", "-9223372036854775807", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(UpdateChecker::isNewer(c.candidate, c.current), c.newer)
            << '"' << c.candidate << "\" vs \"" << c.current << '"';
    }
}

TEST(UpdateChecker, FeedsDecodeOnlyTheDocumentedShape) {
    const std::pair<std::string, std::optional<Feed>> cases[] = {
        {R"({"version":"2.0","notes":"Faster.","url":"https://x.org/d"})",
         Feed{"2.0", "Faster.", "https://x.org/d"}},
        {R"({"version":"2.0","url":"https://x.org/d"})",
         Feed{"2.0", std::nullopt, "https://x.org/d"}},
        // Other keys ignored, escapes decoded.
        {"{\"url\":\"u\",\"extra\":{\"a\":[1]},\"version\":\"3\",\"notes\":\"Caf\\u00e9\"}",
         Feed{"3", "Caf\xc3\xa9", "u"}},
        {R"({"notes":"n","url":"u"})", std::nullopt},
        {R"({"version":"2.0","notes":"n"})", std::nullopt},
        {R"({"version":2.0,"url":"u"})", std::nullopt},
        {R"({"version":"2","url":null})", std::nullopt},
        {R"({"version":"2","notes":5,"url":"u"})", std::nullopt},
        {R"([{"version":"2","url":"u"}])", std::nullopt},
        {R"({"version":"2.0","url":"ht)", std::nullopt},
        {R"({"version":"2","url":"u"} x)", std::nullopt},
        {"{\"version\":\"2\xff\",\"url\":\"u\"}", std::nullopt}};
    for (const auto& [body, feed] : cases) EXPECT_EQ(UpdateChecker::decodeFeed(body), feed) << body;
}

// Only web pages are opened by the download button.
TEST(UpdateChecker, DownloadAddressesAreWebPages) {
    const std::pair<std::string, bool> cases[] = {
        {"https://example.org/download", true}, {"HTTP://Example.org", true},
        {"https://user@127.0.0.1:8080/a?b#c", true}, {"file:///usr/bin/tavix", false},
        {"javascript:alert(1)", false}, {"example.org/download", false},
        {"https:example.org", false}, {"https:///path", false},
        {"https://exa mple.org/", false}, {"https://example.org/\n", false}};
    for (const auto& [url, web] : cases) EXPECT_EQ(UpdateChecker::isWebURL(url), web) << url;
}

// Not newer, not a web address, not decodable, over the size limit: no update.
TEST(UpdateChecker, UpdateFromAFeedBody) {
    const std::string feed = R"({"version":"2.0","notes":"New.","url":"https://x.org/d"})";
    EXPECT_EQ(UpdateChecker::updateFrom(feed, "1.9"),
              (AppUpdate{"2.0", "New.", "https://x.org/d"}));
    EXPECT_EQ(UpdateChecker::updateFrom(feed, "2.0"), std::nullopt);
    EXPECT_EQ(UpdateChecker::updateFrom(R"({"version":"2.0","url":"file:///tmp/x"})", "1"),
              std::nullopt);
    const std::string head = R"({"version":"2.0","url":"https://x.org/d","pad":")";
    const auto padded = [&](std::size_t size) {
        return head + std::string(size - head.size() - 2, 'a') + "\"}";
    };
    EXPECT_TRUE(UpdateChecker::updateFrom(padded(UpdateChecker::maxFeedSize), "1").has_value());
    EXPECT_EQ(UpdateChecker::updateFrom(padded(UpdateChecker::maxFeedSize + 1), "1"), std::nullopt);
}

}  // namespace
