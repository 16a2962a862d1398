#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <variant>

#include "rules/Options.hpp"
#include "rules/Sequences.hpp"
#include "rules/SummaryWords.hpp"

// Every kind of rename step, each stated once: its struct, then its description.
// A new kind is a struct and a description here, its `applyStep` in the engine,
// its rows in the step form, and a sample in the catalogue's test; the compiler
// or that test names whatever is missing.
namespace tavix {

// The groups of actions of the two-level picker, in picking order.
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

// What the user picks a step from: one action per kind, in picking order,
// which is not the kinds' declared order below. Each kind claims its action
// in its description; the catalogue checks at compile time that every kind
// claims a distinct one.
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

// What the rest of the system knows of a kind:
//   key        its name in the keyed and the short form
//   label      a short name, which starts the rule's id
//   action     its place in the picker, and `title` its title there
//   category   the picker's group that lists it
//   example    a short-form step of the kind, for the terminal's help
//   parameters every member, in declared order, with its key
//   summary    a one-line description of a configured step, from its parameters
// Encoding, decoding, hashing, labels, the catalogue and the shells' completions
// derive from it. A kind without a description doesn't compile, nor does one
// whose parameter list misses a member (see the check at the end of this file).
template <class Kind>
struct KindDescription;

// Kinds compare parameter by parameter; texts by their bytes.

struct FindReplace {
    std::string find;
    std::string replace;
    bool regex = false;
    bool caseSensitive = false;
    Occurrences occurrences = Occurrences::all;
    friend bool operator==(const FindReplace&, const FindReplace&) = default;
};

template <>
struct KindDescription<FindReplace> {
    static constexpr std::string_view key = "findReplace";
    static constexpr std::string_view label = "Find & Replace";
    static constexpr RuleAction action = RuleAction::findReplace;
    static constexpr std::string_view title = "Find & replace text";
    static constexpr RuleCategory category = RuleCategory::text;
    static constexpr std::string_view example = R"(findReplace find=IMG_ replace="Lisbon ")";
    static constexpr auto parameters = std::tuple{
        parameter("find", &FindReplace::find), parameter("replace", &FindReplace::replace),
        parameter("regex", &FindReplace::regex),
        parameter("caseSensitive", &FindReplace::caseSensitive),
        parameter("occurrences", &FindReplace::occurrences)};
    static std::string summary(const FindReplace& r) {
        using namespace SummaryWords;
        if (r.find.empty()) return "Find & replace \u2014 nothing to find yet.";
        std::string out =
            joined({"Replace ", Wording::quoted(r.find), " with ",
                    r.replace.empty() ? std::string("nothing") : Wording::quoted(r.replace)});
        if (r.regex) out += " (regex)";
        out += matchingCase(r.caseSensitive);
        if (r.occurrences != Occurrences::all)
            out.append(", ").append(lowered(rawValue(r.occurrences)));
        return out + ".";
    }
};

struct AddText {
    std::string text;
    Position position = Position::prefix;
    friend bool operator==(const AddText&, const AddText&) = default;
};

template <>
struct KindDescription<AddText> {
    static constexpr std::string_view key = "addText";
    static constexpr std::string_view label = "Add Text";
    static constexpr RuleAction action = RuleAction::addText;
    static constexpr std::string_view title = "Add text";
    static constexpr RuleCategory category = RuleCategory::text;
    static constexpr std::string_view example = R"(addText text="Holiday ")";
    static constexpr auto parameters =
        std::tuple{parameter("text", &AddText::text), parameter("position", &AddText::position)};
    static std::string summary(const AddText& r) {
        using namespace SummaryWords;
        if (r.text.empty()) return "Add text \u2014 nothing entered yet.";
        return joined({"Add ", Wording::quoted(r.text), " ", where(r.position), " the name."});
    }
};

struct RemoveText {
    std::string text;
    bool caseSensitive = false;
    friend bool operator==(const RemoveText&, const RemoveText&) = default;
};

template <>
struct KindDescription<RemoveText> {
    static constexpr std::string_view key = "removeText";
    static constexpr std::string_view label = "Remove Text";
    static constexpr RuleAction action = RuleAction::removeText;
    static constexpr std::string_view title = "Remove text";
    static constexpr RuleCategory category = RuleCategory::text;
    static constexpr std::string_view example = "removeText text=copy";
    static constexpr auto parameters = std::tuple{
        parameter("text", &RemoveText::text), parameter("caseSensitive", &RemoveText::caseSensitive)};
    static std::string summary(const RemoveText& r) {
        using namespace SummaryWords;
        if (r.text.empty()) return "Remove text \u2014 nothing entered yet.";
        return joined({"Remove ", Wording::quoted(r.text), matchingCase(r.caseSensitive), "."});
    }
};

struct ChangeCase {
    CaseStyle style = CaseStyle::lower;
    friend bool operator==(const ChangeCase&, const ChangeCase&) = default;
};

template <>
struct KindDescription<ChangeCase> {
    static constexpr std::string_view key = "changeCase";
    static constexpr std::string_view label = "Change Case";
    static constexpr RuleAction action = RuleAction::changeCase;
    static constexpr std::string_view title = "Change case";
    static constexpr RuleCategory category = RuleCategory::conversions;
    static constexpr std::string_view example = R"(changeCase "Title Case")";
    // The style is the kind's one unnamed parameter.
    static constexpr auto parameters = std::tuple{parameter("_0", &ChangeCase::style)};
    static std::string summary(const ChangeCase& r) {
        return SummaryWords::joined({"Convert the name to ", rawValue(r.style), "."});
    }
};

struct Sequence {
    std::int64_t start = 1;
    std::int64_t step = 1;
    std::int64_t padding = 2;
    Position position = Position::suffix;
    std::string separator = "-";
    friend bool operator==(const Sequence&, const Sequence&) = default;
};

template <>
struct KindDescription<Sequence> {
    static constexpr std::string_view key = "sequence";
    static constexpr std::string_view label = "Numbering";
    static constexpr RuleAction action = RuleAction::sequence;
    static constexpr std::string_view title = "Add sequence number";
    static constexpr RuleCategory category = RuleCategory::numbering;
    static constexpr std::string_view example = "sequence padding=3 separator=_";
    static constexpr auto parameters = std::tuple{
        parameter("start", &Sequence::start), parameter("step", &Sequence::step),
        parameter("padding", &Sequence::padding), parameter("position", &Sequence::position),
        parameter("separator", &Sequence::separator)};
    static std::string summary(const Sequence& r) {
        using namespace SummaryWords;
        std::string out = joined({"Number from ", std::to_string(r.start)});
        if (r.step != 1) out.append(" in steps of ").append(std::to_string(r.step));
        out.append(joined({" with at least ", counted(r.padding, "digit"), ", ",
                           where(r.position), " the name."}));
        return out;
    }
};

struct DateStamp {
    std::string format = "yyyy-MM-dd";
    Position position = Position::prefix;
    std::string separator = "-";
    friend bool operator==(const DateStamp&, const DateStamp&) = default;
};

template <>
struct KindDescription<DateStamp> {
    static constexpr std::string_view key = "dateStamp";
    static constexpr std::string_view label = "Date";
    static constexpr RuleAction action = RuleAction::dateStamp;
    static constexpr std::string_view title = "Add date";
    static constexpr RuleCategory category = RuleCategory::dateTime;
    static constexpr std::string_view example = "dateStamp format=yyyyMMdd-HHmm separator=_";
    static constexpr auto parameters = std::tuple{parameter("format", &DateStamp::format),
                                                  parameter("position", &DateStamp::position),
                                                  parameter("separator", &DateStamp::separator)};
    static std::string summary(const DateStamp& r) {
        using namespace SummaryWords;
        return joined({"Add the file's modified date as ", Wording::quoted(r.format), " ",
                       where(r.position), " the name, separated by ", Wording::quoted(r.separator),
                       "."});
    }
};

struct RemoveCharacters {
    CharacterClass kind = CharacterClass::digits;
    std::string custom;
    friend bool operator==(const RemoveCharacters&, const RemoveCharacters&) = default;
};

template <>
struct KindDescription<RemoveCharacters> {
    static constexpr std::string_view key = "removeCharacters";
    static constexpr std::string_view label = "Remove Characters";
    static constexpr RuleAction action = RuleAction::removeCharacters;
    static constexpr std::string_view title = "Remove characters";
    static constexpr RuleCategory category = RuleCategory::characters;
    static constexpr std::string_view example = "removeCharacters kind=custom custom=#%";
    static constexpr auto parameters = std::tuple{parameter("kind", &RemoveCharacters::kind),
                                                  parameter("custom", &RemoveCharacters::custom)};
    static std::string summary(const RemoveCharacters& r) {
        using namespace SummaryWords;
        if (r.kind != CharacterClass::custom)
            return joined({"Remove all ", lowered(rawValue(r.kind)), "."});
        if (r.custom.empty()) return "Remove characters \u2014 none chosen yet.";
        return joined({"Remove the characters ", Wording::quoted(r.custom), "."});
    }
};

struct CollapseSpaces {
    friend bool operator==(const CollapseSpaces&, const CollapseSpaces&) = default;
};

template <>
struct KindDescription<CollapseSpaces> {
    static constexpr std::string_view key = "collapseSpaces";
    static constexpr std::string_view label = "Collapse Spaces";
    static constexpr RuleAction action = RuleAction::collapseSpaces;
    static constexpr std::string_view title = "Collapse repeated spaces";
    static constexpr RuleCategory category = RuleCategory::characters;
    static constexpr std::string_view example = "collapseSpaces";
    static constexpr auto parameters = std::tuple{};
    static std::string summary(const CollapseSpaces&) {
        return "Collapse runs of spaces into one and trim the ends.";
    }
};

struct Crop {
    CropMode mode = CropMode::removeFirst;
    std::int64_t count = 1;
    friend bool operator==(const Crop&, const Crop&) = default;
};

template <>
struct KindDescription<Crop> {
    static constexpr std::string_view key = "crop";
    static constexpr std::string_view label = "Crop";
    static constexpr RuleAction action = RuleAction::crop;
    static constexpr std::string_view title = "Remove or keep characters";
    static constexpr RuleCategory category = RuleCategory::positions;
    static constexpr std::string_view example = "crop mode=keepFirst count=8";
    static constexpr auto parameters =
        std::tuple{parameter("mode", &Crop::mode), parameter("count", &Crop::count)};
    static std::string summary(const Crop& r) {
        using namespace SummaryWords;
        return joined({rawValue(r.mode), " ", counted(r.count, "character"), "."});
    }
};

struct InsertAt {
    std::string text;
    std::int64_t offset = 0;
    friend bool operator==(const InsertAt&, const InsertAt&) = default;
};

template <>
struct KindDescription<InsertAt> {
    static constexpr std::string_view key = "insertAt";
    static constexpr std::string_view label = "Insert";
    static constexpr RuleAction action = RuleAction::insertAt;
    static constexpr std::string_view title = "Insert text at position";
    static constexpr RuleCategory category = RuleCategory::positions;
    static constexpr std::string_view example = "insertAt text=_ offset=4";
    static constexpr auto parameters =
        std::tuple{parameter("text", &InsertAt::text), parameter("offset", &InsertAt::offset)};
    static std::string summary(const InsertAt& r) {
        using namespace SummaryWords;
        if (r.text.empty()) return "Insert text \u2014 nothing entered yet.";
        return joined(
            {"Insert ", Wording::quoted(r.text), " at position ", std::to_string(r.offset), "."});
    }
};

struct Truncate {
    std::int64_t limit = 20;
    // The end that loses characters: `suffix` keeps the start, `prefix` keeps the end.
    Position from = Position::suffix;
    friend bool operator==(const Truncate&, const Truncate&) = default;
};

template <>
struct KindDescription<Truncate> {
    static constexpr std::string_view key = "truncate";
    static constexpr std::string_view label = "Truncate";
    static constexpr RuleAction action = RuleAction::truncate;
    static constexpr std::string_view title = "Truncate name";
    static constexpr RuleCategory category = RuleCategory::truncation;
    static constexpr std::string_view example = "truncate limit=30";
    static constexpr auto parameters =
        std::tuple{parameter("limit", &Truncate::limit), parameter("from", &Truncate::from)};
    static std::string summary(const Truncate& r) {
        return SummaryWords::joined({"Shorten to ", std::to_string(r.limit),
                                     " characters, keeping the ",
                                     r.from == Position::prefix ? "end" : "start", "."});
    }
};

struct RomanNumeral {
    std::int64_t start = 1;
    Position position = Position::suffix;
    std::string separator = "-";
    friend bool operator==(const RomanNumeral&, const RomanNumeral&) = default;
};

template <>
struct KindDescription<RomanNumeral> {
    static constexpr std::string_view key = "romanNumeral";
    static constexpr std::string_view label = "Roman Numerals";
    static constexpr RuleAction action = RuleAction::romanNumeral;
    static constexpr std::string_view title = "Add roman numeral";
    static constexpr RuleCategory category = RuleCategory::roman;
    static constexpr std::string_view example = R"(romanNumeral position=prefix separator=". ")";
    static constexpr auto parameters = std::tuple{parameter("start", &RomanNumeral::start),
                                                  parameter("position", &RomanNumeral::position),
                                                  parameter("separator", &RomanNumeral::separator)};
    static std::string summary(const RomanNumeral& r) {
        using namespace SummaryWords;
        return joined({"Number in roman numerals from ", Sequences::roman(r.start), ", ",
                       where(r.position), " the name."});
    }
};

struct LetterSequence {
    bool uppercase = false;
    Position position = Position::suffix;
    std::string separator = "-";
    friend bool operator==(const LetterSequence&, const LetterSequence&) = default;
};

template <>
struct KindDescription<LetterSequence> {
    static constexpr std::string_view key = "letterSequence";
    static constexpr std::string_view label = "Letters";
    static constexpr RuleAction action = RuleAction::letterSequence;
    static constexpr std::string_view title = "Add letter sequence";
    static constexpr RuleCategory category = RuleCategory::alphabetical;
    static constexpr std::string_view example = "letterSequence uppercase=true";
    static constexpr auto parameters =
        std::tuple{parameter("uppercase", &LetterSequence::uppercase),
                   parameter("position", &LetterSequence::position),
                   parameter("separator", &LetterSequence::separator)};
    static std::string summary(const LetterSequence& r) {
        using namespace SummaryWords;
        return joined({"Letter the files ", r.uppercase ? "A, B, C" : "a, b, c", ", ",
                       where(r.position), " the name."});
    }
};

struct ImageDimensions {
    Position position = Position::suffix;
    std::string separator = "-";
    friend bool operator==(const ImageDimensions&, const ImageDimensions&) = default;
};

template <>
struct KindDescription<ImageDimensions> {
    static constexpr std::string_view key = "imageDimensions";
    static constexpr std::string_view label = "Image Dimensions";
    static constexpr RuleAction action = RuleAction::imageDimensions;
    static constexpr std::string_view title = "Add image dimensions";
    static constexpr RuleCategory category = RuleCategory::imageSize;
    static constexpr std::string_view example = "imageDimensions separator=_";
    static constexpr auto parameters =
        std::tuple{parameter("position", &ImageDimensions::position),
                   parameter("separator", &ImageDimensions::separator)};
    static std::string summary(const ImageDimensions& r) {
        return SummaryWords::joined(
            {"Add the image's pixel size ", SummaryWords::where(r.position), " the name."});
    }
};

struct ParentFolder {
    Position position = Position::prefix;
    std::string separator = "-";
    friend bool operator==(const ParentFolder&, const ParentFolder&) = default;
};

template <>
struct KindDescription<ParentFolder> {
    static constexpr std::string_view key = "parentFolder";
    static constexpr std::string_view label = "Parent Folder";
    static constexpr RuleAction action = RuleAction::parentFolder;
    static constexpr std::string_view title = "Add parent folder name";
    static constexpr RuleCategory category = RuleCategory::parentName;
    static constexpr std::string_view example = R"(parentFolder separator=" - ")";
    static constexpr auto parameters = std::tuple{
        parameter("position", &ParentFolder::position), parameter("separator", &ParentFolder::separator)};
    static std::string summary(const ParentFolder& r) {
        return SummaryWords::joined(
            {"Add the enclosing folder's name ", SummaryWords::where(r.position), " the name."});
    }
};

// The kinds in their declared order.
using RuleKind = std::variant<FindReplace, AddText, RemoveText, ChangeCase, Sequence, DateStamp,
                              RemoveCharacters, CollapseSpaces, Crop, InsertAt, Truncate,
                              RomanNumeral, LetterSequence, ImageDimensions, ParentFolder>;

inline constexpr std::size_t kindCount = std::variant_size_v<RuleKind>;

// Calls `visit(kindTag)` for each kind in declared order, where kindTag is a
// value of std::type_identity<Kind>.
template <class Visit>
constexpr void forEachKind(Visit&& visit) {
    [&]<std::size_t... I>(std::index_sequence<I...>) {
        (visit(std::type_identity<std::variant_alternative_t<I, RuleKind>>{}), ...);
    }(std::make_index_sequence<kindCount>{});
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
