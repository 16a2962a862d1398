#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tavix {

// A stretch of text: [start, end).
struct TextSpan {
    std::size_t start = 0;
    std::size_t end = 0;
    friend bool operator==(const TextSpan&, const TextSpan&) = default;
};

// How the changed stretch of a name is marked; each front end renders it.
struct ChangeMarks {
    // The desktop's own yellow (it follows the light or dark palette), translucent.
    double backgroundAlpha = 0.35;
    // Strong emphasis: bold.
    bool strong = true;
    friend bool operator==(const ChangeMarks&, const ChangeMarks&) = default;
};

// A new name with its changed stretch, if any, marked.
struct AttributedName {
    std::string text;
    std::optional<TextSpan> marked;  // UTF-8 byte offsets into `text`
    ChangeMarks marks;               // applies to `marked` only
    friend bool operator==(const AttributedName&, const AttributedName&) = default;
};

namespace NameDiff {

// The stretch of `newName`, in user-perceived characters, between the common
// prefix and the common suffix of the two names (the suffix never reaching back
// into the prefix); nothing when the names are equal or nothing was added.
std::optional<TextSpan> changedRange(std::string_view oldName, std::string_view newName);

// `newName` with the changed stretch marked, or plain when `highlight` is off
// or there is no stretch.
AttributedName attributed(std::string_view oldName, std::string_view newName, bool highlight);

}  // namespace NameDiff
}  // namespace tavix
