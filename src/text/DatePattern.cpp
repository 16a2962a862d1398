#include "text/DatePattern.hpp"

#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

namespace tavix::text {

struct DatePattern::Formatter {
    Formatter(const std::string& pattern, UErrorCode& status)
        : format(icu::UnicodeString::fromUTF8(pattern), icu::Locale::getDefault(), status) {}
    icu::SimpleDateFormat format;
};

DatePattern::DatePattern(const std::string& pattern) {
    UErrorCode status = U_ZERO_ERROR;
    auto formatter = std::make_unique<Formatter>(pattern, status);
    if (U_FAILURE(status)) return;
    // The default zone as it is now: ICU reads TZ only once, and it may have been
    // set since the formatter's locale data was loaded.
    formatter->format.adoptTimeZone(icu::TimeZone::createDefault());
    formatter_ = std::move(formatter);
}

DatePattern::~DatePattern() = default;
DatePattern::DatePattern(DatePattern&&) noexcept = default;
DatePattern& DatePattern::operator=(DatePattern&&) noexcept = default;

std::string DatePattern::format(std::chrono::sys_time<std::chrono::nanoseconds> time) const {
    if (!formatter_) return {};
    // Rounded toward the past: a time just before 1970 stays in 1969.
    const auto millis =
        std::chrono::floor<std::chrono::milliseconds>(time.time_since_epoch()).count();
    icu::UnicodeString text;
    formatter_->format.format(static_cast<UDate>(millis), text);
    std::string out;
    text.toUTF8String(out);
    return out;
}

}  // namespace tavix::text
