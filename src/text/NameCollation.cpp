#include "text/NameCollation.hpp"

#include <unicode/coll.h>

#include <algorithm>
#include <memory>

namespace tavix::text {

std::vector<std::string> nameSortKeys(const std::vector<std::string_view>& names) {
    UErrorCode status = U_ZERO_ERROR;
    // The C and POSIX locales map to en_US_POSIX, whose collation is plain code
    // point order (B before a); a file browser there still orders like the root.
    icu::Locale locale = icu::Locale::getDefault();
    if (std::string_view(locale.getName()) == "en_US_POSIX") locale = icu::Locale::getRoot();
    std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(locale, status));
    if (U_FAILURE(status) || !collator) return {};
    // Secondary strength tells accents apart but not letter case.
    collator->setStrength(icu::Collator::SECONDARY);
    collator->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, status);

    std::vector<std::string> keys;
    keys.reserve(names.size());
    for (const std::string_view text : names) {
        const icu::UnicodeString name = icu::UnicodeString::fromUTF8(text);
        std::string key;
        const int32_t length = collator->getSortKey(name, nullptr, 0);
        key.resize(static_cast<std::size_t>(std::max(length, 0)));
        collator->getSortKey(name, reinterpret_cast<uint8_t*>(key.data()), length);
        keys.push_back(std::move(key));
    }
    return keys;
}

}  // namespace tavix::text
