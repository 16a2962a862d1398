#include "rules/RenameRule.hpp"

#include <functional>

#include "text/CanonicalText.hpp"
#include "rules/RuleCoding.hpp"
#include "rules/RuleKinds.hpp"

namespace tavix {

bool operator==(const FindReplace& a, const FindReplace& b) {
    return a.regex == b.regex && a.caseSensitive == b.caseSensitive &&
           a.occurrences == b.occurrences && canonicallyEqual(a.find, b.find) &&
           canonicallyEqual(a.replace, b.replace);
}
bool operator==(const AddText& a, const AddText& b) {
    return a.position == b.position && canonicallyEqual(a.text, b.text);
}
bool operator==(const RemoveText& a, const RemoveText& b) {
    return a.caseSensitive == b.caseSensitive && canonicallyEqual(a.text, b.text);
}
bool operator==(const Sequence& a, const Sequence& b) {
    return a.start == b.start && a.step == b.step && a.padding == b.padding &&
           a.position == b.position && canonicallyEqual(a.separator, b.separator);
}
bool operator==(const DateStamp& a, const DateStamp& b) {
    return a.position == b.position && canonicallyEqual(a.format, b.format) &&
           canonicallyEqual(a.separator, b.separator);
}
bool operator==(const RemoveCharacters& a, const RemoveCharacters& b) {
    return a.kind == b.kind && canonicallyEqual(a.custom, b.custom);
}
bool operator==(const InsertAt& a, const InsertAt& b) {
    return a.offset == b.offset && canonicallyEqual(a.text, b.text);
}
bool operator==(const RomanNumeral& a, const RomanNumeral& b) {
    return a.start == b.start && a.position == b.position &&
           canonicallyEqual(a.separator, b.separator);
}
bool operator==(const LetterSequence& a, const LetterSequence& b) {
    return a.uppercase == b.uppercase && a.position == b.position &&
           canonicallyEqual(a.separator, b.separator);
}
bool operator==(const ImageDimensions& a, const ImageDimensions& b) {
    return a.position == b.position && canonicallyEqual(a.separator, b.separator);
}
bool operator==(const ParentFolder& a, const ParentFolder& b) {
    return a.position == b.position && canonicallyEqual(a.separator, b.separator);
}

RenameRule RenameRule::findReplace(std::string find, std::string replace, bool regex,
                                   bool caseSensitive, Occurrences occurrences) {
    return {FindReplace{std::move(find), std::move(replace), regex, caseSensitive, occurrences}};
}
RenameRule RenameRule::addText(std::string text, Position position) {
    return {AddText{std::move(text), position}};
}
RenameRule RenameRule::removeText(std::string text, bool caseSensitive) {
    return {RemoveText{std::move(text), caseSensitive}};
}
RenameRule RenameRule::changeCase(CaseStyle style) {
    return {ChangeCase{style}};
}
RenameRule RenameRule::sequence(std::int64_t start, std::int64_t step, std::int64_t padding,
                                Position position, std::string separator) {
    return {Sequence{start, step, padding, position, std::move(separator)}};
}
RenameRule RenameRule::dateStamp(std::string format, Position position, std::string separator) {
    return {DateStamp{std::move(format), position, std::move(separator)}};
}
RenameRule RenameRule::removeCharacters(CharacterClass kind, std::string custom) {
    return {RemoveCharacters{kind, std::move(custom)}};
}
RenameRule RenameRule::collapseSpaces() {
    return {CollapseSpaces{}};
}
RenameRule RenameRule::crop(CropMode mode, std::int64_t count) {
    return {Crop{mode, count}};
}
RenameRule RenameRule::insertAt(std::string text, std::int64_t offset) {
    return {InsertAt{std::move(text), offset}};
}
RenameRule RenameRule::truncate(std::int64_t limit, Position from) {
    return {Truncate{limit, from}};
}
RenameRule RenameRule::romanNumeral(std::int64_t start, Position position, std::string separator) {
    return {RomanNumeral{start, position, std::move(separator)}};
}
RenameRule RenameRule::letterSequence(bool uppercase, Position position, std::string separator) {
    return {LetterSequence{uppercase, position, std::move(separator)}};
}
RenameRule RenameRule::imageDimensions(Position position, std::string separator) {
    return {ImageDimensions{position, std::move(separator)}};
}
RenameRule RenameRule::parentFolder(Position position, std::string separator) {
    return {ParentFolder{position, std::move(separator)}};
}

std::string_view RenameRule::label() const {
    return std::visit(
        [](const auto& r) { return KindDescription<std::decay_t<decltype(r)>>::label; }, kind);
}

std::string RenameRule::id() const {
    return std::string(label()) +
           encodeRule(*this).dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

namespace {

// Mixes one more value into a running hash (the boost::hash_combine recipe).
void combine(std::size_t& seed, std::size_t value) {
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

// Texts hash by their canonical form, so that equal rules hash alike.
std::size_t hashOf(const std::string& text) {
    return canonicalHash(text);
}
template <class T>
std::size_t hashOf(const T& value) {
    return std::hash<T>{}(value);
}

}  // namespace

std::size_t hashValue(const RenameRule& rule) {
    std::size_t seed = rule.kind.index();
    std::visit(
        [&seed](const auto& r) {
            forEachParameter(r, [&seed](std::string_view, const auto& value) {
                combine(seed, hashOf(value));
            });
        },
        rule.kind);
    return seed;
}

}  // namespace tavix
