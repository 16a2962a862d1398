#include "rules/Catalogue.hpp"

#include <algorithm>
#include <array>
#include <optional>

#include "rules/RuleKinds.hpp"

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
    // A kind's blank rule is its default value.
    std::optional<RenameRule> rule;
    forEachKind([&](auto kind) {
        using Kind = typename decltype(kind)::type;
        if (KindDescription<Kind>::action == action) rule = RenameRule{Kind{}};
    });
    return rule ? *rule : RenameRule{FindReplace{}};
}

RuleAction RenameRule::action() const {
    return std::visit(
        [](const auto& r) { return KindDescription<std::decay_t<decltype(r)>>::action; }, kind);
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
