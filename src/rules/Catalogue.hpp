#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "rules/Options.hpp"
#include "rules/RenameRule.hpp"

// The catalogue the user picks a step from: the actions (one per kind, in
// picking order) and the groups they are listed in, both with their titles,
// all derived from the kinds' descriptions (RuleKinds.hpp).
namespace tavix {

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
std::span<const RuleAction> allCases<RuleAction>();
template <>
std::span<const RuleCategory> allCases<RuleCategory>();

// The default rule of the action's kind; a fresh value on every call.
RenameRule blank(RuleAction action);

// A short-form step of the action's kind (`crop mode=keepFirst count=8`), as
// the terminal's help shows it.
std::string_view example(RuleAction action);

// The category's actions in picking order.
std::span<const RuleAction> actions(RuleCategory category);

}  // namespace tavix
