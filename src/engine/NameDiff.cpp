#include "engine/NameDiff.hpp"

#include <algorithm>
#include <vector>

#include "text/Graphemes.hpp"
#include "text/Utf.hpp"
#include "text/CanonicalText.hpp"

namespace tavix::NameDiff {
namespace {

struct Characters {
    std::string text;  // well-formed UTF-8
    std::vector<std::size_t> bounds;

    explicit Characters(std::string_view name)
        : text(text::validUtf8(name)), bounds(text::graphemeBoundaries(text)) {}

    std::size_t size() const { return bounds.size() - 1; }
    std::string_view at(std::size_t i) const {
        return std::string_view(text).substr(bounds[i], bounds[i + 1] - bounds[i]);
    }
};

struct Stretch {
    std::size_t start;  // in characters of the new name
    std::size_t end;
};

std::optional<Stretch> stretch(const Characters& a, const Characters& b) {
    const std::size_t la = a.size();
    const std::size_t lb = b.size();
    std::size_t p = 0;
    while (p < la && p < lb && canonicallyEqual(a.at(p), b.at(p))) ++p;
    std::size_t s = 0;
    if (la > p) {
        while (s < la - p && s < lb - p && canonicallyEqual(a.at(la - 1 - s), b.at(lb - 1 - s))) {
            ++s;
        }
    }
    if (p >= lb - s) return std::nullopt;
    return Stretch{p, lb - s};
}

}  // namespace

std::optional<TextSpan> changedRange(std::string_view oldName, std::string_view newName) {
    if (canonicallyEqual(oldName, newName)) return std::nullopt;
    const auto found = stretch(Characters(oldName), Characters(newName));
    if (!found) return std::nullopt;
    return TextSpan{found->start, found->end};
}

AttributedName attributed(std::string_view oldName, std::string_view newName, bool highlight) {
    AttributedName out{text::validUtf8(newName), std::nullopt, {}};
    if (!highlight || canonicallyEqual(oldName, newName)) return out;
    const Characters b(newName);
    const auto found = stretch(Characters(oldName), b);
    if (!found) return out;
    out.marked = TextSpan{b.bounds[found->start], b.bounds[found->end]};
    return out;
}

}  // namespace tavix::NameDiff
