#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "rules/RenameRule.hpp"
#include "system/FileSystem.hpp"
#include "text/DatePattern.hpp"

// The steps that add a generated piece of text before or after the name.
// Only these read the file's position in the list or facts from the file.
namespace tavix::GeneratedText {

using DateFormatter = text::DatePattern;

// g, separator, name (prefix) or name, separator, g (suffix); the separator is
// inserted as it is, also when empty.
std::string join(const std::string& name, const std::string& generated, Position position,
                 const std::string& separator);

// start + index × step (a step below 1 counts as 1), saturating at the signed
// 64-bit limits, written with at least `padding` digits (below 1 counts as 1;
// at most 255, longer than any file name can be).
std::string sequence(const Sequence& rule, const std::string& name, std::int64_t index);
// The roman numeral of start + index (saturating).
std::string romanNumeral(const RomanNumeral& rule, const std::string& name, std::int64_t index);
std::string letterSequence(const LetterSequence& rule, const std::string& name, std::int64_t index);
// The pattern of a date step: its format, or "yyyy-MM-dd" when that is empty.
std::string datePattern(const DateStamp& rule);
// The file's content modification time ("now" when it can't be read), formatted
// by `dates`, built from datePattern(rule). With `taken`, the date a photo was
// taken comes first, where the file has one, as the camera's clock showed it.
std::string dateStamp(const DateStamp& rule, const DateFormatter& dates, const std::string& name,
                      const Location& path, bool taken = false);
// The same with the date already read: `date`, or "now" without one.
std::string dateStamp(const DateStamp& rule, const DateFormatter& dates, const std::string& name,
                      std::optional<FileSystem::Timestamp> date);
// "640x480" from the image header; the name unchanged for a file that isn't one.
std::string imageDimensions(const ImageDimensions& rule, const std::string& name,
                            const Location& path);
// The enclosing folder's name ("/" for a file in the root folder).
std::string parentFolder(const ParentFolder& rule, const std::string& name, const Location& path);

}  // namespace tavix::GeneratedText
