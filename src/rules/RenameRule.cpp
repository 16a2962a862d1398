#include "rules/RenameRule.hpp"

#include "rules/RuleCoding.hpp"

namespace tavix {
namespace {

template <class Kind>
using Description = KindDescription<std::decay_t<Kind>>;

}  // namespace

std::string_view RenameRule::label() const {
    return std::visit([](const auto& r) { return Description<decltype(r)>::label; }, kind);
}

std::string RenameRule::id() const {
    std::string text(label());
    text +=
        encodeRule(*this).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    return text;
}

RuleAction RenameRule::action() const {
    return std::visit([](const auto& r) { return Description<decltype(r)>::action; }, kind);
}

RuleCategory RenameRule::category() const {
    return std::visit([](const auto& r) { return Description<decltype(r)>::category; }, kind);
}

std::string RenameRule::summary() const {
    return std::visit([](const auto& r) { return Description<decltype(r)>::summary(r); }, kind);
}

}  // namespace tavix
