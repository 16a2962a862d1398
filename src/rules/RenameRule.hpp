#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "rules/Options.hpp"

namespace tavix {

enum class RuleAction;
enum class RuleCategory;

// One struct per kind of rename step, each with its parameters in order.
// Texts compare under Unicode canonical equivalence; everything else by value.

struct FindReplace {
    std::string find;
    std::string replace;
    bool regex = false;
    bool caseSensitive = false;
    Occurrences occurrences = Occurrences::all;
    friend bool operator==(const FindReplace&, const FindReplace&);
};

struct AddText {
    std::string text;
    Position position = Position::prefix;
    friend bool operator==(const AddText&, const AddText&);
};

struct RemoveText {
    std::string text;
    bool caseSensitive = false;
    friend bool operator==(const RemoveText&, const RemoveText&);
};

struct ChangeCase {
    CaseStyle style = CaseStyle::lower;
    friend bool operator==(const ChangeCase&, const ChangeCase&) = default;
};

struct Sequence {
    std::int64_t start = 1;
    std::int64_t step = 1;
    std::int64_t padding = 2;
    Position position = Position::suffix;
    std::string separator = "-";
    friend bool operator==(const Sequence&, const Sequence&);
};

struct DateStamp {
    std::string format = "yyyy-MM-dd";
    Position position = Position::prefix;
    std::string separator = "-";
    friend bool operator==(const DateStamp&, const DateStamp&);
};

struct RemoveCharacters {
    CharacterClass kind = CharacterClass::digits;
    std::string custom;
    friend bool operator==(const RemoveCharacters&, const RemoveCharacters&);
};

struct CollapseSpaces {
    friend bool operator==(const CollapseSpaces&, const CollapseSpaces&) = default;
};

struct Crop {
    CropMode mode = CropMode::removeFirst;
    std::int64_t count = 1;
    friend bool operator==(const Crop&, const Crop&) = default;
};

struct InsertAt {
    std::string text;
    std::int64_t offset = 0;
    friend bool operator==(const InsertAt&, const InsertAt&);
};

struct Truncate {
    std::int64_t limit = 20;
    // The end that loses characters: `suffix` keeps the start, `prefix` keeps the end.
    Position from = Position::suffix;
    friend bool operator==(const Truncate&, const Truncate&) = default;
};

struct RomanNumeral {
    std::int64_t start = 1;
    Position position = Position::suffix;
    std::string separator = "-";
    friend bool operator==(const RomanNumeral&, const RomanNumeral&);
};

struct LetterSequence {
    bool uppercase = false;
    Position position = Position::suffix;
    std::string separator = "-";
    friend bool operator==(const LetterSequence&, const LetterSequence&);
};

struct ImageDimensions {
    Position position = Position::suffix;
    std::string separator = "-";
    friend bool operator==(const ImageDimensions&, const ImageDimensions&);
};

struct ParentFolder {
    Position position = Position::prefix;
    std::string separator = "-";
    friend bool operator==(const ParentFolder&, const ParentFolder&);
};

// The kinds in their declared order (also the order of the keyed JSON form's keys).
using RuleKind = std::variant<FindReplace, AddText, RemoveText, ChangeCase, Sequence, DateStamp,
                              RemoveCharacters, CollapseSpaces, Crop, InsertAt, Truncate,
                              RomanNumeral, LetterSequence, ImageDimensions, ParentFolder>;

// One rename step: a plain value, copied freely, with no identity of its own.
struct RenameRule {
    RuleKind kind;

    static RenameRule findReplace(std::string find, std::string replace, bool regex,
                                  bool caseSensitive, Occurrences occurrences);
    static RenameRule addText(std::string text, Position position);
    static RenameRule removeText(std::string text, bool caseSensitive);
    static RenameRule changeCase(CaseStyle style);
    static RenameRule sequence(std::int64_t start, std::int64_t step, std::int64_t padding,
                               Position position, std::string separator);
    static RenameRule dateStamp(std::string format, Position position, std::string separator);
    static RenameRule removeCharacters(CharacterClass kind, std::string custom);
    static RenameRule collapseSpaces();
    static RenameRule crop(CropMode mode, std::int64_t count);
    static RenameRule insertAt(std::string text, std::int64_t offset);
    static RenameRule truncate(std::int64_t limit, Position from);
    static RenameRule romanNumeral(std::int64_t start, Position position, std::string separator);
    static RenameRule letterSequence(bool uppercase, Position position, std::string separator);
    static RenameRule imageDimensions(Position position, std::string separator);
    static RenameRule parentFolder(Position position, std::string separator);

    // A short name of the kind ("Find & Replace", "Numbering" …).
    std::string_view label() const;
    // The label followed by a rendering of the kind and every parameter value.
    std::string id() const;
    // The catalogue action of the same name as the kind.
    RuleAction action() const;
    // The first category, in declared order, that lists the rule's action.
    RuleCategory category() const;
    // A one-line description of the configured step, from its parameters alone.
    std::string summary() const;

    friend bool operator==(const RenameRule&, const RenameRule&) = default;
};

std::size_t hashValue(const RenameRule& rule);

}  // namespace tavix

template <>
struct std::hash<tavix::RenameRule> {
    std::size_t operator()(const tavix::RenameRule& rule) const { return tavix::hashValue(rule); }
};
