#pragma once

#include <compare>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tavix {

// Where a file is: the text of its path, held in one string. The plan, the list
// and the moves carry one per file, so it stays light: unlike
// std::filesystem::path it never splits the text into components (one heap
// block, none for a short text) and compares and hashes as bytes. It converts to
// and from std::filesystem::path both ways, for the libraries and tests that
// want one; the conversion to a path costs what building that path costs, so hot
// code uses the text (native(), c_str()) and the PathNames helpers instead.
class Location {
public:
    Location() = default;
    Location(std::string text) : text_(std::move(text)) {}
    Location(const char* text) : text_(text) {}
    explicit Location(std::string_view text) : text_(text) {}
    Location(const std::filesystem::path& path) : text_(path.native()) {}

    const std::string& native() const noexcept { return text_; }
    const std::string& string() const noexcept { return text_; }
    const char* c_str() const noexcept { return text_.c_str(); }
    bool empty() const noexcept { return text_.empty(); }

    std::filesystem::path path() const { return std::filesystem::path(text_); }
    operator std::filesystem::path() const { return path(); }

    // As std::filesystem::path answers them; each builds a path, so these are
    // for the edges (a table cell, a journal check), not for every file of a plan.
    std::filesystem::path filename() const { return path().filename(); }
    std::filesystem::path parent_path() const { return path().parent_path(); }
    std::filesystem::path stem() const { return path().stem(); }
    std::filesystem::path extension() const { return path().extension(); }

    friend bool operator==(const Location&, const Location&) = default;
    friend std::strong_ordering operator<=>(const Location&, const Location&) = default;
    // An exact match for a path, so that comparing with one is neither ambiguous
    // nor a conversion: equal when the texts are.
    friend bool operator==(const Location& a, const std::filesystem::path& b) {
        return a.text_ == b.native();
    }

private:
    std::string text_;
};

// Written as std::filesystem::path writes itself: quoted, with escapes.
std::ostream& operator<<(std::ostream& out, const Location& location);

}  // namespace tavix

template <>
struct std::hash<tavix::Location> {
    std::size_t operator()(const tavix::Location& location) const noexcept {
        return std::hash<std::string>{}(location.native());
    }
};
