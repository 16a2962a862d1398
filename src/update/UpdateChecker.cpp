#include "update/UpdateChecker.hpp"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <vector>

#include "update/Version.hpp"
#include "update/BuildInfo.hpp"

namespace tavix::UpdateChecker {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A decimal integer with an optional sign; anything else, or an overflow, is 0.
std::int64_t pieceValue(std::string_view piece) {
    std::string_view digits = piece;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        digits.remove_prefix(1);
    }
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), isDigit)) return 0;
    // from_chars takes a minus sign but not a plus sign.
    if (piece.front() == '+') piece.remove_prefix(1);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(piece.data(), piece.data() + piece.size(), value);
    if (error != std::errc{} || end != piece.data() + piece.size()) return 0;
    return value;
}

std::vector<std::int64_t> pieces(std::string_view version) {
    std::vector<std::int64_t> numbers;
    while (true) {
        const auto dot = version.find('.');
        const auto piece = version.substr(0, dot);
        if (!piece.empty()) numbers.push_back(pieceValue(piece));
        if (dot == std::string_view::npos) break;
        version.remove_prefix(dot + 1);
    }
    return numbers;
}

bool equalsIgnoringCase(std::string_view text, std::string_view lower) {
    return std::equal(text.begin(), text.end(), lower.begin(), lower.end(), [](char a, char b) {
        return (a >= 'A' && a <= 'Z' ? char(a - 'A' + 'a') : a) == b;
    });
}

}  // namespace

std::optional<std::string> feedURL() {
    if (updateFeedURL.empty()) return std::nullopt;
    return std::string(updateFeedURL);
}

std::string currentVersion() {
    return version().empty() ? std::string("0") : std::string(version());
}

std::string appName() {
    return "Tavix";
}

bool isNewer(std::string_view candidate, std::string_view current) {
    const auto a = pieces(candidate);
    const auto b = pieces(current);
    const auto n = std::max(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = i < a.size() ? a[i] : 0;
        const auto y = i < b.size() ? b[i] : 0;
        if (x != y) return x > y;
    }
    return false;
}

std::optional<Feed> decodeFeed(std::string_view body) {
    // No exceptions: a body that is not JSON comes back as a discarded value.
    const auto json = nlohmann::json::parse(body, nullptr, /*allow_exceptions=*/false);
    if (!json.is_object()) return std::nullopt;
    const auto version = json.find("version");
    const auto url = json.find("url");
    if (version == json.end() || !version->is_string()) return std::nullopt;
    if (url == json.end() || !url->is_string()) return std::nullopt;
    Feed feed{version->get<std::string>(), std::nullopt, url->get<std::string>()};
    if (const auto notes = json.find("notes"); notes != json.end() && !notes->is_null()) {
        if (!notes->is_string()) return std::nullopt;
        feed.notes = notes->get<std::string>();
    }
    return feed;
}

bool isWebURL(std::string_view url) {
    const auto colon = url.find(':');
    if (colon == std::string_view::npos) return false;
    const auto scheme = url.substr(0, colon);
    if (!equalsIgnoringCase(scheme, "http") && !equalsIgnoringCase(scheme, "https")) return false;
    if (std::any_of(url.begin(), url.end(),
                    [](char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7f; })) {
        return false;
    }
    auto rest = url.substr(colon + 1);
    if (!rest.starts_with("//")) return false;
    rest.remove_prefix(2);
    const auto authority = rest.substr(0, rest.find_first_of("/?#"));
    // The host is what follows any user information; it must not be empty.
    const auto host = authority.substr(
        authority.rfind('@') == std::string_view::npos ? 0 : authority.rfind('@') + 1);
    return !host.empty() && !host.starts_with(':');
}

std::optional<AppUpdate> updateFrom(std::string_view body, std::string_view current) {
    if (body.size() > maxFeedSize) return std::nullopt;
    auto feed = decodeFeed(body);
    if (!feed || !isNewer(feed->version, current) || !isWebURL(feed->url)) return std::nullopt;
    return AppUpdate{std::move(feed->version), feed->notes.value_or(""), std::move(feed->url)};
}

}  // namespace tavix::UpdateChecker
