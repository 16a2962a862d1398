#include "text/LocaleFormat.hpp"

#include <unicode/datefmt.h>
#include <unicode/locid.h>
#include <unicode/numberformatter.h>
#include <unicode/timezone.h>

#include <memory>

#include "text/Utf.hpp"

namespace tavix::text {
namespace {

// Building ICU formatters costs tens of microseconds and the table reads one
// file's facts per visible row on every repaint, so the formatters of the
// current locale are kept per thread; the date formatter follows the default zone.
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

}  // namespace

std::string formatTenths(std::uint64_t tenths) {
    const std::string decimal = std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
    UErrorCode status = U_ZERO_ERROR;
    const icu::UnicodeString text =
        formatters().numbers.formatDecimal(decimal, status).toString(status);
    if (U_SUCCESS(status)) return toUtf8(text);
    return tenths % 10 ? decimal : std::to_string(tenths / 10);
}

std::optional<std::string> formatDateTime(std::chrono::sys_time<std::chrono::nanoseconds> time) {
    icu::DateFormat* formatter = formatters().dates.get();
    if (!formatter) return std::nullopt;
    const auto milliseconds =
        std::chrono::duration<double, std::milli>(time.time_since_epoch()).count();
    icu::UnicodeString text;
    formatter->format(static_cast<UDate>(milliseconds), text);
    return toUtf8(text);
}

}  // namespace tavix::text
