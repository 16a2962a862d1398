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

std::string join(const std::string& name, const std::string& generated, Position position,
                 const std::string& separator) {
    return position == Position::prefix ? generated + separator + name
                                        : name + separator + generated;
}

std::string sequence(const Sequence& rule, const std::string& name, std::int64_t index) {
    const std::int64_t step = std::max<std::int64_t>(rule.step, 1);
    const std::int64_t number = saturatingAdd(rule.start, saturatingMultiply(index, step));
    const std::int64_t width = std::clamp<std::int64_t>(rule.padding, 1, maxDigits);
    return join(name, padded(number, width), rule.position, rule.separator);
}

std::string romanNumeral(const RomanNumeral& rule, const std::string& name, std::int64_t index) {
    return join(name, Sequences::roman(saturatingAdd(rule.start, index)), rule.position,
                rule.separator);
}

std::string letterSequence(const LetterSequence& rule, const std::string& name,
                           std::int64_t index) {
    return join(name, Sequences::letters(index, rule.uppercase), rule.position, rule.separator);
}

std::string datePattern(const DateStamp& rule) {
    return rule.format.empty() ? std::string("yyyy-MM-dd") : rule.format;
}

std::string dateStamp(const DateStamp& rule, const DateFormatter& dates, const std::string& name,
                      const Location& path, bool taken) {
    // A photo's date is written as its camera showed it where it was taken.
    return dateStamp(rule, dates, name,
                     taken ? PhotoDate::takenOrModified(path, PhotoDate::Reading::cameraClock)
                           : FileSystem::modificationTime(path));
}

std::string dateStamp(const DateStamp& rule, const DateFormatter& dates, const std::string& name,
                      std::optional<FileSystem::Timestamp> date) {
    const auto time = date.value_or(
        std::chrono::time_point_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now()));
    return join(name, dates.format(time), rule.position, rule.separator);
}

std::string imageDimensions(const ImageDimensions& rule, const std::string& name,
                            const Location& path) {
    const auto image = ImageProbe::read(path);
    if (!image || !image->pixelWidth || !image->pixelHeight) return name;
    const std::string size =
        std::to_string(*image->pixelWidth) + "x" + std::to_string(*image->pixelHeight);
    return join(name, size, rule.position, rule.separator);
}

std::string parentFolder(const ParentFolder& rule, const std::string& name, const Location& path) {
    // The root's name is "/".
    std::string folderName = PathNames::name(PathNames::folder(path));
    if (folderName.empty()) return name;
    return join(name, folderName, rule.position, rule.separator);
}

}  // namespace tavix::GeneratedText
