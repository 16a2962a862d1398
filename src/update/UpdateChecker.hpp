#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tavix {

// A newer version that the feed announces.
struct AppUpdate {
    std::string version;  // the feed's version, unchanged
    std::string notes;    // empty when the feed has none
    std::string url;      // the download page; always an http or https address
    friend bool operator==(const AppUpdate&, const AppUpdate&) = default;
};

// The pure half of the update check: the application's information, version
// comparison and the decoding of the feed. The fetch itself lives with the
// prompter, on Qt Network.
namespace UpdateChecker {

// Feed bodies above this size are not decoded: they count as no update.
inline constexpr std::size_t maxFeedSize = std::size_t{1} << 20;

// The feed's address from the build; absent when the build names none, and then
// no check is made.
std::optional<std::string> feedURL();
// The running version; "0" when the build has none.
std::string currentVersion();
// The application's name as alerts show it.
std::string appName();

// True when `candidate` is a higher version than `current`. Both are split at
// every "." into their non-empty pieces; each piece is a decimal integer with an
// optional leading sign, and a piece that is not (2b, 0-beta) or that overflows
// counts as 0. Missing trailing pieces count as 0, so 1.2 equals 1.2.0 and
// 2.0-beta compares as 2.0; equal versions are not newer.
bool isNewer(std::string_view candidate, std::string_view current);

// The feed: one JSON object with the string keys "version" and "url", and
// "notes", which may be absent or null. Other keys are ignored.
struct Feed {
    std::string version;
    std::optional<std::string> notes;
    std::string url;
    friend bool operator==(const Feed&, const Feed&) = default;
};

// Absent for anything that is not such an object: not JSON, another type at the
// top, a required key missing, a value of the wrong type.
std::optional<Feed> decodeFeed(std::string_view body);

// True for an absolute http or https address with a host and no spaces or
// control characters; anything else (file:, javascript:, a bare path) is not a
// page to open in a browser.
bool isWebURL(std::string_view url);

// The update that a feed body announces to a program running `current`: absent
// when the body is over maxFeedSize, does not decode, names a version that is not
// newer, or names a download address that is not a web address.
std::optional<AppUpdate> updateFrom(std::string_view body, std::string_view current);

}  // namespace UpdateChecker
}  // namespace tavix
