#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "rules/RuleKinds.hpp"

namespace tavix {

// One rename step: a plain value, copied freely, with no identity of its own,
// made from its kind's struct (RenameRule{Crop{CropMode::keepFirst, 8}}).
struct RenameRule {
    RuleKind kind;

    // A short name of the kind ("Find & Replace", "Numbering" …).
    std::string_view label() const;
    // The label followed by a rendering of the kind and every parameter value.
    std::string id() const;
    // The catalogue action of the same name as the kind.
    RuleAction action() const;
    // The picker's group that lists the rule's action.
    RuleCategory category() const;
    // A one-line description of the configured step, from its parameters alone.
    std::string summary() const;

    friend bool operator==(const RenameRule&, const RenameRule&) = default;
};

}  // namespace tavix
