#include "rules/RenameRule.hpp"

#include <functional>

#include "rules/RuleCoding.hpp"

namespace tavix {
namespace {

template <class Kind>
using Description = KindDescription<std::decay_t<Kind>>;

// Mixes one more value into a running hash (the boost::hash_combine recipe).
void combine(std::size_t& seed, std::size_t value) {
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

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

std::size_t hashValue(const RenameRule& rule) {
    std::size_t seed = rule.kind.index();
    std::visit(
        [&seed](const auto& r) {
            forEachParameter(r, [&seed](std::string_view, const auto& value) {
                combine(seed, std::hash<std::decay_t<decltype(value)>>{}(value));
            });
        },
        rule.kind);
    return seed;
}

}  // namespace tavix
