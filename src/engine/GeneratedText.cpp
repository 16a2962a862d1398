#include "engine/GeneratedText.hpp"

#include <algorithm>
#include <limits>
#include <memory>

#include "system/ImageProbe.hpp"
#include "system/PhotoDate.hpp"
#include "rules/Sequences.hpp"
#include "text/PathNames.hpp"

namespace tavix::GeneratedText {
namespace {

constexpr std::int64_t maxDigits = 255;

std::int64_t saturatingAdd(std::int64_t a, std::int64_t b) {
    std::int64_t out;
    if (!__builtin_add_overflow(a, b, &out)) return out;
    return b > 0 ? std::numeric_limits<std::int64_t>::max()
                 : std::numeric_limits<std::int64_t>::min();
}

std::int64_t saturatingMultiply(std::int64_t a, std::int64_t b) {
    std::int64_t out;
    if (!__builtin_mul_overflow(a, b, &out)) return out;
    return (a < 0) == (b < 0) ? std::numeric_limits<std::int64_t>::max()
                              : std::numeric_limits<std::int64_t>::min();
}

// printf's "%0wd": the sign first, then zeros up to w characters in all.
std::string padded(std::int64_t value, std::int64_t width) {
    std::string digits = std::to_string(value);
    const bool negative = value < 0;
    const auto length = static_cast<std::int64_t>(digits.size());
    if (length >= width) return digits;
    digits.insert(negative ? 1 : 0, static_cast<std::size_t>(width - length), '0');
    return digits;
}

}  // namespace

void join(std::string_view name, std::string_view generated, Position position,
          std::string_view separator, std::string& out) {
    out.clear();
    out.reserve(name.size() + separator.size() + generated.size());
    if (position == Position::prefix) {
        out.append(generated).append(separator).append(name);
    } else {
        out.append(name).append(separator).append(generated);
    }
}

void sequence(const Sequence& rule, std::string_view name, std::int64_t index, std::string& out) {
    const std::int64_t step = std::max<std::int64_t>(rule.step, 1);
    const std::int64_t number = saturatingAdd(rule.start, saturatingMultiply(index, step));
    const std::int64_t width = std::clamp<std::int64_t>(rule.padding, 1, maxDigits);
    join(name, padded(number, width), rule.position, rule.separator, out);
}

void romanNumeral(const RomanNumeral& rule, std::string_view name, std::int64_t index,
                  std::string& out) {
    join(name, Sequences::roman(saturatingAdd(rule.start, index)), rule.position, rule.separator,
         out);
}

void letterSequence(const LetterSequence& rule, std::string_view name, std::int64_t index,
                    std::string& out) {
    join(name, Sequences::letters(index, rule.uppercase), rule.position, rule.separator, out);
}

std::string datePattern(const DateStamp& rule) {
    return rule.format.empty() ? std::string("yyyy-MM-dd") : rule.format;
}

void dateStamp(const DateStamp& rule, const DateFormatter& dates, std::string_view name,
               const Location& path, bool taken, std::string& out) {
    // A photo's date is written as its camera showed it where it was taken.
    dateStamp(rule, dates, name,
              taken ? PhotoDate::takenOrModified(path, PhotoDate::Reading::cameraClock)
                    : FileSystem::modificationTime(path),
              out);
}

void dateStamp(const DateStamp& rule, const DateFormatter& dates, std::string_view name,
               std::optional<FileSystem::Timestamp> date, std::string& out) {
    const auto time = date.value_or(
        std::chrono::time_point_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now()));
    join(name, dates.format(time), rule.position, rule.separator, out);
}

bool imageDimensions(const ImageDimensions& rule, std::string_view name, const Location& path,
                     std::string& out) {
    const auto image = ImageProbe::read(path);
    if (!image || !image->pixelWidth || !image->pixelHeight) return false;
    std::string size = std::to_string(*image->pixelWidth);
    size += 'x';
    size += std::to_string(*image->pixelHeight);
    join(name, size, rule.position, rule.separator, out);
    return true;
}

bool parentFolder(const ParentFolder& rule, std::string_view name, const Location& path,
                  std::string& out) {
    // The root's name is "/".
    const std::string folderName = PathNames::name(PathNames::folder(path));
    if (folderName.empty()) return false;
    join(name, folderName, rule.position, rule.separator, out);
    return true;
}

}  // namespace tavix::GeneratedText
