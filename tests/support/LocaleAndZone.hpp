#pragma once

#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <memory>

namespace tavix::test {

// Sets ICU's default locale and time zone while it lives and puts back the
// ones it found.
class LocaleAndZone {
public:
    explicit LocaleAndZone(const char* locale, const char* zone = "UTC")
        : locale_(icu::Locale::getDefault()), zone_(icu::TimeZone::createDefault()) {
        set(locale, zone);
    }
    ~LocaleAndZone() {
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(locale_, status);
        icu::TimeZone::adoptDefault(zone_.release());
    }
    LocaleAndZone(const LocaleAndZone&) = delete;
    LocaleAndZone& operator=(const LocaleAndZone&) = delete;

    static void set(const char* locale, const char* zone) {
        UErrorCode status = U_ZERO_ERROR;
        icu::Locale::setDefault(icu::Locale(locale), status);
        icu::TimeZone::adoptDefault(icu::TimeZone::createTimeZone(zone));
    }

private:
    icu::Locale locale_;
    std::unique_ptr<icu::TimeZone> zone_;
};

}  // namespace tavix::test
