#include "rules/Catalogue.hpp"

#include <algorithm>
#include <array>

namespace tavix {
namespace {

constexpr std::array<RuleAction, 15> allActions{
    RuleAction::findReplace,      RuleAction::addText,         RuleAction::removeText,
    RuleAction::removeCharacters, RuleAction::collapseSpaces,  RuleAction::crop,
    RuleAction::insertAt,         RuleAction::changeCase,      RuleAction::truncate,
    RuleAction::sequence,         RuleAction::romanNumeral,    RuleAction::letterSequence,
    RuleAction::dateStamp,        RuleAction::imageDimensions, RuleAction::parentFolder};

constexpr std::array<std::string_view, 15> actionTitles{"Find & replace text",
                                                        "Add text",
                                                        "Remove text",
                                                        "Remove characters",
                                                        "Collapse repeated spaces",
                                                        "Remove or keep characters",
                                                        "Insert text at position",
                                                        "Change case",
                                                        "Truncate name",
                                                        "Add sequence number",
                                                        "Add roman numeral",
                                                        "Add letter sequence",
                                                        "Add date",
                                                        "Add image dimensions",
                                                        "Add parent folder name"};

constexpr std::array<RuleCategory, 11> allCategories{
    RuleCategory::text,        RuleCategory::characters, RuleCategory::positions,
    RuleCategory::conversions, RuleCategory::truncation, RuleCategory::dateTime,
    RuleCategory::numbering,   RuleCategory::roman,      RuleCategory::alphabetical,
    RuleCategory::imageSize,   RuleCategory::parentName};

constexpr std::array<std::string_view, 11> categoryTitles{"Text",
                                                          "Characters",
                                                          "Character Positions & Ranges",
                                                          "Conversions",
                                                          "Truncation",
                                                          "Date & Time",
                                                          "Sequence Numbers",
                                                          "Roman Numerals",
                                                          "Alphabetical Sequences",
                                                          "Image Dimensions",
                                                          "Parent Folder Name"};

constexpr RuleAction textActions[] = {RuleAction::findReplace, RuleAction::addText,
                                      RuleAction::removeText};
constexpr RuleAction characterActions[] = {RuleAction::removeCharacters,
                                           RuleAction::collapseSpaces};
constexpr RuleAction positionActions[] = {RuleAction::crop, RuleAction::insertAt};
constexpr RuleAction conversionActions[] = {RuleAction::changeCase};
constexpr RuleAction truncationActions[] = {RuleAction::truncate};
constexpr RuleAction dateActions[] = {RuleAction::dateStamp};
constexpr RuleAction numberingActions[] = {RuleAction::sequence};
constexpr RuleAction romanActions[] = {RuleAction::romanNumeral};
constexpr RuleAction letterActions[] = {RuleAction::letterSequence};
constexpr RuleAction imageActions[] = {RuleAction::imageDimensions};
constexpr RuleAction folderActions[] = {RuleAction::parentFolder};

constexpr std::array<std::span<const RuleAction>, 11> categoryActions{
    textActions,       characterActions, positionActions,  conversionActions,
    truncationActions, dateActions,      numberingActions, romanActions,
    letterActions,     imageActions,     folderActions};

template <class T, std::size_t N>
std::optional<T> findTitle(const std::array<T, N>& cases,
                           const std::array<std::string_view, N>& titles, std::string_view text) {
    const auto it = std::find(titles.begin(), titles.end(), text);
    if (it == titles.end()) return std::nullopt;
    return cases[static_cast<std::size_t>(it - titles.begin())];
}

// The action of each kind, indexed by the kind's declared position.
constexpr std::array<RuleAction, 15> actionOfKind{
    RuleAction::findReplace,      RuleAction::addText,         RuleAction::removeText,
    RuleAction::changeCase,       RuleAction::sequence,        RuleAction::dateStamp,
    RuleAction::removeCharacters, RuleAction::collapseSpaces,  RuleAction::crop,
    RuleAction::insertAt,         RuleAction::truncate,        RuleAction::romanNumeral,
    RuleAction::letterSequence,   RuleAction::imageDimensions, RuleAction::parentFolder};

}  // namespace

std::string_view rawValue(RuleAction action) {
    return actionTitles[static_cast<std::size_t>(action)];
}
std::string_view rawValue(RuleCategory category) {
    return categoryTitles[static_cast<std::size_t>(category)];
}

template <>
std::optional<RuleAction> fromRawValue<RuleAction>(std::string_view text) {
    return findTitle(allActions, actionTitles, text);
}
template <>
std::optional<RuleCategory> fromRawValue<RuleCategory>(std::string_view text) {
    return findTitle(allCategories, categoryTitles, text);
}
template <>
std::span<const RuleAction> allCases<RuleAction>() {
    return allActions;
}
template <>
std::span<const RuleCategory> allCases<RuleCategory>() {
    return allCategories;
}

std::span<const RuleAction> actions(RuleCategory category) {
    return categoryActions[static_cast<std::size_t>(category)];
}

RenameRule blank(RuleAction action) {
    switch (action) {
        case RuleAction::findReplace:
            return RenameRule::findReplace("", "", false, false, Occurrences::all);
        case RuleAction::addText:
            return RenameRule::addText("", Position::prefix);
        case RuleAction::removeText:
            return RenameRule::removeText("", false);
        case RuleAction::removeCharacters:
            return RenameRule::removeCharacters(CharacterClass::digits, "");
        case RuleAction::collapseSpaces:
            return RenameRule::collapseSpaces();
        case RuleAction::crop:
            return RenameRule::crop(CropMode::removeFirst, 1);
        case RuleAction::insertAt:
            return RenameRule::insertAt("", 0);
        case RuleAction::changeCase:
            return RenameRule::changeCase(CaseStyle::lower);
        case RuleAction::truncate:
            return RenameRule::truncate(20, Position::suffix);
        case RuleAction::sequence:
            return RenameRule::sequence(1, 1, 2, Position::suffix, "-");
        case RuleAction::romanNumeral:
            return RenameRule::romanNumeral(1, Position::suffix, "-");
        case RuleAction::letterSequence:
            return RenameRule::letterSequence(false, Position::suffix, "-");
        case RuleAction::dateStamp:
            return RenameRule::dateStamp("yyyy-MM-dd", Position::prefix, "-");
        case RuleAction::imageDimensions:
            return RenameRule::imageDimensions(Position::suffix, "-");
        case RuleAction::parentFolder:
            return RenameRule::parentFolder(Position::prefix, "-");
    }
    return RenameRule::findReplace("", "", false, false, Occurrences::all);
}

RuleAction RenameRule::action() const {
    return actionOfKind[kind.index()];
}

RuleCategory RenameRule::category() const {
    const RuleAction own = action();
    for (RuleCategory category : allCategories) {
        const auto list = actions(category);
        if (std::find(list.begin(), list.end(), own) != list.end()) return category;
    }
    return RuleCategory::text;  // unreachable: every action is listed once
}

}  // namespace tavix
