#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace tavix {

// The option sets of a rule's parameters. Each case's text is its user-facing
// title, shown in pickers and summaries and used by the keyed JSON form.

enum class CaseStyle { lower, upper, title, sentence };
enum class CharacterClass { digits, punctuation, whitespace, symbols, custom };
enum class CropMode { removeFirst, removeLast, keepFirst, keepLast };
enum class Occurrences { all, first, last };
enum class Position { prefix, suffix };

std::string_view rawValue(CaseStyle value);
std::string_view rawValue(CharacterClass value);
std::string_view rawValue(CropMode value);
std::string_view rawValue(Occurrences value);
std::string_view rawValue(Position value);

// The case whose title is exactly `text` (case-sensitive, no trimming), or nothing.
template <class T>
std::optional<T> fromRawValue(std::string_view text);

// Every case in declared order.
template <class T>
std::span<const T> allCases();

template <>
std::optional<CaseStyle> fromRawValue<CaseStyle>(std::string_view text);
template <>
std::optional<CharacterClass> fromRawValue<CharacterClass>(std::string_view text);
template <>
std::optional<CropMode> fromRawValue<CropMode>(std::string_view text);
template <>
std::optional<Occurrences> fromRawValue<Occurrences>(std::string_view text);
template <>
std::optional<Position> fromRawValue<Position>(std::string_view text);

template <>
std::span<const CaseStyle> allCases<CaseStyle>();
template <>
std::span<const CharacterClass> allCases<CharacterClass>();
template <>
std::span<const CropMode> allCases<CropMode>();
template <>
std::span<const Occurrences> allCases<Occurrences>();
template <>
std::span<const Position> allCases<Position>();

}  // namespace tavix
