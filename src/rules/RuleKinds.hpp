#pragma once

#include <cstddef>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <variant>

#include "rules/Catalogue.hpp"
#include "rules/RenameRule.hpp"

namespace tavix {

// One parameter of a kind: its key in the keyed form and the member that holds it.
template <class Kind, class Value>
struct Parameter {
    std::string_view key;
    Value Kind::*member;
};

template <class Kind, class Value>
constexpr Parameter<Kind, Value> parameter(std::string_view key, Value Kind::*member) {
    return {key, member};
}

// What the rest of the system knows of each kind, stated once: the keyed form's
// key, the short label, the catalogue action, and every parameter in declared
// order. Encoding, decoding, hashing, labels and blank rules derive from it. A
// kind without a description doesn't compile, nor does one whose parameter list
// misses a member (see the check at the end of this file).
template <class Kind>
struct KindDescription;

template <>
struct KindDescription<FindReplace> {
    static constexpr std::string_view key = "findReplace";
    static constexpr std::string_view label = "Find & Replace";
    static constexpr RuleAction action = RuleAction::findReplace;
    static constexpr auto parameters = std::tuple{
        parameter("find", &FindReplace::find), parameter("replace", &FindReplace::replace),
        parameter("regex", &FindReplace::regex),
        parameter("caseSensitive", &FindReplace::caseSensitive),
        parameter("occurrences", &FindReplace::occurrences)};
};

template <>
struct KindDescription<AddText> {
    static constexpr std::string_view key = "addText";
    static constexpr std::string_view label = "Add Text";
    static constexpr RuleAction action = RuleAction::addText;
    static constexpr auto parameters =
        std::tuple{parameter("text", &AddText::text), parameter("position", &AddText::position)};
};

template <>
struct KindDescription<RemoveText> {
    static constexpr std::string_view key = "removeText";
    static constexpr std::string_view label = "Remove Text";
    static constexpr RuleAction action = RuleAction::removeText;
    static constexpr auto parameters = std::tuple{
        parameter("text", &RemoveText::text), parameter("caseSensitive", &RemoveText::caseSensitive)};
};

template <>
struct KindDescription<ChangeCase> {
    static constexpr std::string_view key = "changeCase";
    static constexpr std::string_view label = "Change Case";
    static constexpr RuleAction action = RuleAction::changeCase;
    // The style is the kind's one unnamed parameter.
    static constexpr auto parameters = std::tuple{parameter("_0", &ChangeCase::style)};
};

template <>
struct KindDescription<Sequence> {
    static constexpr std::string_view key = "sequence";
    static constexpr std::string_view label = "Numbering";
    static constexpr RuleAction action = RuleAction::sequence;
    static constexpr auto parameters = std::tuple{
        parameter("start", &Sequence::start), parameter("step", &Sequence::step),
        parameter("padding", &Sequence::padding), parameter("position", &Sequence::position),
        parameter("separator", &Sequence::separator)};
};

template <>
struct KindDescription<DateStamp> {
    static constexpr std::string_view key = "dateStamp";
    static constexpr std::string_view label = "Date";
    static constexpr RuleAction action = RuleAction::dateStamp;
    static constexpr auto parameters = std::tuple{parameter("format", &DateStamp::format),
                                                  parameter("position", &DateStamp::position),
                                                  parameter("separator", &DateStamp::separator)};
};

template <>
struct KindDescription<RemoveCharacters> {
    static constexpr std::string_view key = "removeCharacters";
    static constexpr std::string_view label = "Remove Characters";
    static constexpr RuleAction action = RuleAction::removeCharacters;
    static constexpr auto parameters = std::tuple{parameter("kind", &RemoveCharacters::kind),
                                                  parameter("custom", &RemoveCharacters::custom)};
};

template <>
struct KindDescription<CollapseSpaces> {
    static constexpr std::string_view key = "collapseSpaces";
    static constexpr std::string_view label = "Collapse Spaces";
    static constexpr RuleAction action = RuleAction::collapseSpaces;
    static constexpr auto parameters = std::tuple{};
};

template <>
struct KindDescription<Crop> {
    static constexpr std::string_view key = "crop";
    static constexpr std::string_view label = "Crop";
    static constexpr RuleAction action = RuleAction::crop;
    static constexpr auto parameters =
        std::tuple{parameter("mode", &Crop::mode), parameter("count", &Crop::count)};
};

template <>
struct KindDescription<InsertAt> {
    static constexpr std::string_view key = "insertAt";
    static constexpr std::string_view label = "Insert";
    static constexpr RuleAction action = RuleAction::insertAt;
    static constexpr auto parameters =
        std::tuple{parameter("text", &InsertAt::text), parameter("offset", &InsertAt::offset)};
};

template <>
struct KindDescription<Truncate> {
    static constexpr std::string_view key = "truncate";
    static constexpr std::string_view label = "Truncate";
    static constexpr RuleAction action = RuleAction::truncate;
    static constexpr auto parameters =
        std::tuple{parameter("limit", &Truncate::limit), parameter("from", &Truncate::from)};
};

template <>
struct KindDescription<RomanNumeral> {
    static constexpr std::string_view key = "romanNumeral";
    static constexpr std::string_view label = "Roman Numerals";
    static constexpr RuleAction action = RuleAction::romanNumeral;
    static constexpr auto parameters = std::tuple{parameter("start", &RomanNumeral::start),
                                                  parameter("position", &RomanNumeral::position),
                                                  parameter("separator", &RomanNumeral::separator)};
};

template <>
struct KindDescription<LetterSequence> {
    static constexpr std::string_view key = "letterSequence";
    static constexpr std::string_view label = "Letters";
    static constexpr RuleAction action = RuleAction::letterSequence;
    static constexpr auto parameters =
        std::tuple{parameter("uppercase", &LetterSequence::uppercase),
                   parameter("position", &LetterSequence::position),
                   parameter("separator", &LetterSequence::separator)};
};

template <>
struct KindDescription<ImageDimensions> {
    static constexpr std::string_view key = "imageDimensions";
    static constexpr std::string_view label = "Image Dimensions";
    static constexpr RuleAction action = RuleAction::imageDimensions;
    static constexpr auto parameters =
        std::tuple{parameter("position", &ImageDimensions::position),
                   parameter("separator", &ImageDimensions::separator)};
};

template <>
struct KindDescription<ParentFolder> {
    static constexpr std::string_view key = "parentFolder";
    static constexpr std::string_view label = "Parent Folder";
    static constexpr RuleAction action = RuleAction::parentFolder;
    static constexpr auto parameters = std::tuple{
        parameter("position", &ParentFolder::position), parameter("separator", &ParentFolder::separator)};
};

// Calls `visit(kindTag)` for each kind in declared order, where kindTag is a
// value of std::type_identity<Kind>.
template <class Visit>
constexpr void forEachKind(Visit&& visit) {
    [&]<std::size_t... I>(std::index_sequence<I...>) {
        (visit(std::type_identity<std::variant_alternative_t<I, RuleKind>>{}), ...);
    }(std::make_index_sequence<std::variant_size_v<RuleKind>>{});
}

// Calls `visit(key, value)` for each parameter of `rule` in declared order.
template <class Kind, class Visit>
void forEachParameter(Kind& rule, Visit&& visit) {
    std::apply([&](const auto&... p) { (visit(p.key, rule.*(p.member)), ...); },
               KindDescription<std::remove_const_t<Kind>>::parameters);
}

namespace detail {

// Converts to anything: counts an aggregate's members by how many it takes.
struct AnyMember {
    template <class T>
    constexpr operator T() const;
};

template <class T, class... Members>
constexpr std::size_t memberCount() {
    if constexpr (requires { T{Members{}..., AnyMember{}}; }) {
        return memberCount<T, Members..., AnyMember>();
    } else {
        return sizeof...(Members);
    }
}

template <class Kind>
constexpr bool describesEveryMember() {
    return std::tuple_size_v<decltype(KindDescription<Kind>::parameters)> == memberCount<Kind>();
}

}  // namespace detail

static_assert([] {
    bool complete = true;
    forEachKind([&](auto kind) {
        using Kind = typename decltype(kind)::type;
        complete = complete && detail::describesEveryMember<Kind>();
    });
    return complete;
}(), "every member of every kind is listed among its parameters");

}  // namespace tavix
