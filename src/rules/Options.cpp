#include "rules/Options.hpp"

#include <array>

namespace tavix {
namespace {

template <class T, std::size_t N>
struct Titles {
    std::array<T, N> cases;
    std::array<std::string_view, N> titles;

    std::string_view title(T value) const { return titles[static_cast<std::size_t>(value)]; }

    std::optional<T> find(std::string_view text) const {
        for (std::size_t i = 0; i < N; ++i) {
            if (titles[i] == text) return cases[i];
        }
        return std::nullopt;
    }
};

constexpr Titles<CaseStyle, 4> caseStyles{
    {CaseStyle::lower, CaseStyle::upper, CaseStyle::title, CaseStyle::sentence},
    {"lowercase", "UPPERCASE", "Title Case", "Sentence case"}};

constexpr Titles<CharacterClass, 5> characterClasses{
    {CharacterClass::digits, CharacterClass::punctuation, CharacterClass::whitespace,
     CharacterClass::symbols, CharacterClass::custom},
    {"Digits (0-9)", "Punctuation", "Spaces", "Symbols", "These characters\u2026"}};

constexpr Titles<CropMode, 4> cropModes{
    {CropMode::removeFirst, CropMode::removeLast, CropMode::keepFirst, CropMode::keepLast},
    {"Remove first", "Remove last", "Keep first", "Keep last"}};

constexpr Titles<Occurrences, 3> occurrences{
    {Occurrences::all, Occurrences::first, Occurrences::last},
    {"All occurrences", "First only", "Last only"}};

constexpr Titles<Position, 2> positions{{Position::prefix, Position::suffix},
                                        {"Before name", "After name"}};

}  // namespace

std::string_view rawValue(CaseStyle value) {
    return caseStyles.title(value);
}
std::string_view rawValue(CharacterClass value) {
    return characterClasses.title(value);
}
std::string_view rawValue(CropMode value) {
    return cropModes.title(value);
}
std::string_view rawValue(Occurrences value) {
    return occurrences.title(value);
}
std::string_view rawValue(Position value) {
    return positions.title(value);
}

template <>
std::optional<CaseStyle> fromRawValue<CaseStyle>(std::string_view text) {
    return caseStyles.find(text);
}
template <>
std::optional<CharacterClass> fromRawValue<CharacterClass>(std::string_view text) {
    return characterClasses.find(text);
}
template <>
std::optional<CropMode> fromRawValue<CropMode>(std::string_view text) {
    return cropModes.find(text);
}
template <>
std::optional<Occurrences> fromRawValue<Occurrences>(std::string_view text) {
    return occurrences.find(text);
}
template <>
std::optional<Position> fromRawValue<Position>(std::string_view text) {
    return positions.find(text);
}

template <>
std::span<const CaseStyle> allCases<CaseStyle>() {
    return caseStyles.cases;
}
template <>
std::span<const CharacterClass> allCases<CharacterClass>() {
    return characterClasses.cases;
}
template <>
std::span<const CropMode> allCases<CropMode>() {
    return cropModes.cases;
}
template <>
std::span<const Occurrences> allCases<Occurrences>() {
    return occurrences.cases;
}
template <>
std::span<const Position> allCases<Position>() {
    return positions.cases;
}

}  // namespace tavix
