// Version comparison and the decoding of the update feed.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "update/UpdateChecker.hpp"

namespace {

namespace UpdateChecker = tavix::UpdateChecker;
using Feed = UpdateChecker::Feed;

// Pieces compare as numbers, not as text; missing pieces count as 0. Pieces
// that are not whole numbers count as 0, and so does one with a second or lone
// sign and one beyond 64 bits; empty pieces are dropped.
TEST(UpdateChecker, VersionsCompareByNumericPieces) {
    const struct {
        std::string candidate, current;
        bool newer;
    } cases[] = {
        {"1.2.10", "1.2.9", true}, {"1.2.9", "1.2.10", false}, {"01.02", "1.2", false},
        {"1.2", "1.2.0", false}, {"1.2.0.1", "1.2", true}, {"1", "", true},
        {"2.1-beta", "2.0", false}, {"+2", "1", true}, {"-1", "-2", true}, {"+-3", "0", false},
        {"1.-", "1.0", false}, {"1..3", "1.2", true}, {"9223372036854775808", "1", false}};
    for (const auto& c : cases) {
        EXPECT_EQ(UpdateChecker::isNewer(c.candidate, c.current), c.newer)
            << '"' << c.candidate << "\" vs \"" << c.current << '"';
    }
}

// Other keys are ignored and escapes decoded; a missing or mistyped value, or
// a body that isn't one JSON object, is no feed.
TEST(UpdateChecker, FeedsDecodeOnlyTheDocumentedShape) {
    const std::pair<std::string, std::optional<Feed>> cases[] = {
        {R"({"version":"2.0","url":"https://x.org/d"})", Feed{"2.0", {}, "https://x.org/d"}},
        {"{\"url\":\"u\",\"extra\":{\"a\":[1]},\"version\":\"3\",\"notes\":\"Caf\\u00e9\"}",
         Feed{"3", "Caf\xc3\xa9", "u"}},
        {R"({"notes":"n","url":"u"})", {}}, {R"({"version":"2.0","notes":"n"})", {}},
        {R"({"version":2.0,"url":"u"})", {}}, {R"({"version":"2","url":null})", {}},
        {R"({"version":"2","notes":5,"url":"u"})", {}}, {R"([{"version":"2","url":"u"}])", {}},
        {R"({"version":"2.0","url":"ht)", {}}};
    for (const auto& [body, feed] : cases) EXPECT_EQ(UpdateChecker::decodeFeed(body), feed) << body;
}

// Only web pages are opened by the download button.
TEST(UpdateChecker, DownloadAddressesAreWebPages) {
    const std::pair<std::string, bool> cases[] = {
        {"HTTP://Example.org", true}, {"https://user@127.0.0.1:8080/a?b#c", true},
        {"file:///usr/bin/tavix", false}, {"example.org/download", false}, {"https:x.org", false},
        {"https:///path", false}, {"https://exa mple.org/", false}, {"https://x.org/\n", false}};
    for (const auto& [url, web] : cases) EXPECT_EQ(UpdateChecker::isWebURL(url), web) << url;
}

// Not newer, not a web address, over the size limit: no update.
TEST(UpdateChecker, UpdateFromAFeedBody) {
    const std::string head = R"({"version":"2.0","notes":"New.","url":"https://x.org/d","pad":")";
    const auto padded = [&](std::size_t size) {
        return head + std::string(size - head.size() - 2, 'a') + "\"}";
    };
    const std::string feed = padded(UpdateChecker::maxFeedSize);
    EXPECT_EQ(UpdateChecker::updateFrom(feed, "1.9"),
              (tavix::AppUpdate{"2.0", "New.", "https://x.org/d"}));
    EXPECT_EQ(UpdateChecker::updateFrom(feed, "2.0"), std::nullopt);
    EXPECT_EQ(UpdateChecker::updateFrom(R"({"version":"2.0","url":"file:///tmp/x"})", "1"),
              std::nullopt);
    EXPECT_EQ(UpdateChecker::updateFrom(padded(UpdateChecker::maxFeedSize + 1), "1"), std::nullopt);
}

}  // namespace
