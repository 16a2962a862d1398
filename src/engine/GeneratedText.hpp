#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "rules/RenameRule.hpp"
#include "system/FileSystem.hpp"
#include "text/DatePattern.hpp"

// The steps that add a generated piece of text before or after the name.
// Only these read the file's position in the list or facts from the file.
namespace tavix::GeneratedText {

using DateFormatter = text::DatePattern;

// Each writes the name with its generated text into `out` (what it held is
// gone, its room reused); `out` must not view `name`.

// g, separator, name (prefix) or name, separator, g (suffix); the separator is
// inserted as it is, also when empty.
void join(std::string_view name, std::string_view generated, Position position,
          std::string_view separator, std::string& out);

// start + index × step (a step below 1 counts as 1), saturating at the signed
// 64-bit limits, written with at least `padding` digits (below 1 counts as 1;
// at most 255, longer than any file name can be).
void sequence(const Sequence& rule, std::string_view name, std::int64_t index, std::string& out);
// The roman numeral of start + index (saturating).
void romanNumeral(const RomanNumeral& rule, std::string_view name, std::int64_t index,
                  std::string& out);
void letterSequence(const LetterSequence& rule, std::string_view name, std::int64_t index,
                    std::string& out);
// The pattern of a date step: its format, or "yyyy-MM-dd" when that is empty.
std::string datePattern(const DateStamp& rule);
// The file's content modification time ("now" when it can't be read), formatted
// by `dates`, built from datePattern(rule). With `taken`, the date a photo was
// taken comes first, where the file has one, as the camera's clock showed it.
void dateStamp(const DateStamp& rule, const DateFormatter& dates, std::string_view name,
               const Location& path, bool taken, std::string& out);
// The same with the date already read: `date`, or "now" without one.
void dateStamp(const DateStamp& rule, const DateFormatter& dates, std::string_view name,
               std::optional<FileSystem::Timestamp> date, std::string& out);
// "640x480" from the image header; false (and `out` untouched) for a file that
// isn't one, whose name stays.
bool imageDimensions(const ImageDimensions& rule, std::string_view name, const Location& path,
                     std::string& out);
// The enclosing folder's name ("/" for a file in the root folder).
bool parentFolder(const ParentFolder& rule, std::string_view name, const Location& path,
                  std::string& out);

}  // namespace tavix::GeneratedText
