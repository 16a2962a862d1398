#include "model/FileInfo.hpp"

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/numberformatter.h>
#include <unicode/timezone.h>

#include <array>
#include <memory>

#include "text/CaseMapping.hpp"
#include "text/Utf.hpp"
#include "system/FileSystem.hpp"
#include "system/ImageProbe.hpp"
#include "text/PathNames.hpp"

namespace tavix {
namespace {

constexpr const char* missing = "\u2014";

// Building ICU formatters costs tens of microseconds and the table reads one
// FileInfo per visible row on every repaint, so the formatters of the current
// locale are kept per thread; the date formatter follows the default zone.
struct Formatters {
    std::string locale;
    std::unique_ptr<icu::DateFormat> dates;
    icu::number::LocalizedNumberFormatter numbers;
};

Formatters& formatters() {
    thread_local Formatters cache;
    const icu::Locale& locale = icu::Locale::getDefault();
    if (cache.locale != locale.getName()) {
        cache.dates.reset(icu::DateFormat::createDateTimeInstance(icu::DateFormat::kMedium,
                                                                  icu::DateFormat::kShort, locale));
        cache.numbers = icu::number::NumberFormatter::withLocale(locale).precision(
            icu::number::Precision::maxFraction(1));
        cache.locale = locale.getName();
    }
    if (cache.dates) {
        std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createDefault());
        if (zone && *zone != cache.dates->getTimeZone()) cache.dates->adoptTimeZone(zone.release());
    }
    return cache;
}

// `tenths` / 10 in the locale's digits and decimal separator, a zero fraction dropped.
std::string formatTenths(std::uint64_t tenths) {
    const std::string decimal = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString text =
        formatters().numbers.formatDecimal(decimal, status).toString(status);
    if (U_SUCCESS(status)) return text::toUtf8(text);
    return tenths % 10 ? decimal : std::to_string(tenths / 10);
}

std::string formatDate(std::optional<FileSystem::Timestamp> time) {
    icu::DateFormat* formatter = formatters().dates.get();
    if (!formatter || !time) return missing;
    const auto milliseconds =
        std::chrono::duration<double, std::milli>(time->time_since_epoch()).count();
    icu::UnicodeString text;
    formatter->format(static_cast<UDate>(milliseconds), text);
    return text::toUtf8(text);
}

}  // namespace

std::string FileInfo::formatSize(std::uint64_t bytes) {
    if (bytes < 1000) return formatTenths(bytes * 10) + (bytes == 1 ? " byte" : " bytes");

    // Rounded half up in exact arithmetic (the largest count times ten overflows
    // 64 bits); a count that rounds to 1000 of a unit moves to the next unit.
    const unsigned __int128 count = bytes;
    const auto kilobytes = static_cast<std::uint64_t>((count + 500) / 1000);
    if (kilobytes < 1000) return formatTenths(kilobytes * 10) + " kB";

    static constexpr std::array units = {"MB", "GB", "TB", "PB", "EB"};
    unsigned __int128 unit = 1'000'000;
    for (std::size_t i = 0;; ++i, unit *= 1000) {
        const auto tenths = static_cast<std::uint64_t>((count * 10 + unit / 2) / unit);
        if (tenths < 10'000 || i + 1 == units.size()) return formatTenths(tenths) + " " + units[i];
    }
}

FileInfo FileInfo::read(const std::filesystem::path& url) {
    FileInfo info;
    info.path = text::validUtf8(PathNames::folder(url).native());

    const auto values = FileSystem::resourceValues(url);
    info.size = values && values->size ? formatSize(*values->size) : missing;
    info.created = formatDate(values ? values->created : std::nullopt);
    info.modified = formatDate(values ? values->modified : std::nullopt);
    if (values && values->kind) {
        info.kind = text::validUtf8(*values->kind);
    } else {
        info.kind = text::uppercased(text::validUtf8(PathNames::extension(url)));
    }

    if (const auto image = ImageProbe::read(url)) {
        if (image->pixelWidth && image->pixelHeight) {
            info.dimensions = std::to_string(*image->pixelWidth) + " \u00D7 " +
                              std::to_string(*image->pixelHeight);
        }
        info.colorSpace = image->colorModel;
    }
    return info;
}

FileInfo FileInfo::readListing(const std::filesystem::path& url) {
    FileInfo info;
    const auto values = FileSystem::sizeAndDates(url);
    info.size = values && values->size ? formatSize(*values->size) : missing;
    info.created = formatDate(values ? values->created : std::nullopt);
    info.modified = formatDate(values ? values->modified : std::nullopt);
    return info;
}

}  // namespace tavix
