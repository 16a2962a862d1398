#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "rules/Options.hpp"
#include "rules/RenameRule.hpp"

namespace tavix {

// What the user picks a step from: one action per kind, in picking order.
enum class RuleAction {
    findReplace,
    addText,
    removeText,
    removeCharacters,
    collapseSpaces,
    crop,
    insertAt,
    changeCase,
    truncate,
    sequence,
    romanNumeral,
    letterSequence,
    dateStamp,
    imageDimensions,
    parentFolder,
};

// The eleven groups of actions of the two-level picker.
enum class RuleCategory {
    text,
    characters,
    positions,
    conversions,
    truncation,
    dateTime,
    numbering,
    roman,
    alphabetical,
    imageSize,
    parentName,
};

// The title, which is also the identity.
std::string_view rawValue(RuleAction action);
std::string_view rawValue(RuleCategory category);
inline std::string_view id(RuleAction action) {
    return rawValue(action);
}
inline std::string_view id(RuleCategory category) {
    return rawValue(category);
}

template <>
std::optional<RuleAction> fromRawValue<RuleAction>(std::string_view text);
template <>
std::optional<RuleCategory> fromRawValue<RuleCategory>(std::string_view text);
template <>
std::span<const RuleAction> allCases<RuleAction>();
template <>
std::span<const RuleCategory> allCases<RuleCategory>();

// The default rule of the action's kind; a fresh value on every call.
RenameRule blank(RuleAction action);

// The category's actions in picking order.
std::span<const RuleAction> actions(RuleCategory category);

}  // namespace tavix
