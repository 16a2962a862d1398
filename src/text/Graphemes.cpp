#include "text/Graphemes.hpp"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/utext.h>

#include <cstdint>
#include <memory>

#include "text/Utf.hpp"

namespace tavix::text {
namespace {

// Creating a break iterator loads its rules; one per thread is kept and reused.
icu::BreakIterator* characterIterator() {
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> created(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status)) created.reset();
        return created;
    }();
    return iterator.get();
}

// Below U+0300 there are no marks, joiners, regional indicators or emoji
// modifiers, so every scalar is a cluster of its own, except that CR LF is one.
std::vector<std::size_t> simpleBoundaries(std::string_view text) {
    std::vector<std::size_t> boundaries;
    boundaries.reserve(text.size() + 1);
    std::size_t i = 0;
    boundaries.push_back(0);
    while (i < text.size()) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            i += 2;
        } else if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
        } else {
            nextScalar(text, i);
        }
        boundaries.push_back(i);
    }
    return boundaries;
}

}  // namespace

std::vector<std::size_t> graphemeBoundaries(std::string_view text) {
    if (shape(text).simple) return simpleBoundaries(text);

    icu::BreakIterator* iterator = characterIterator();
    UErrorCode status = U_ZERO_ERROR;
    UText utext = UTEXT_INITIALIZER;
    utext_openUTF8(&utext, text.data(), static_cast<std::int64_t>(text.size()), &status);
    if (iterator != nullptr && U_SUCCESS(status)) iterator->setText(&utext, status);
    if (iterator == nullptr || U_FAILURE(status)) {
        utext_close(&utext);
        return simpleBoundaries(text);  // no cluster data: count scalars instead
    }
    // A UText over UTF-8 reports native indexes, which are the byte offsets.
    std::vector<std::size_t> boundaries;
    boundaries.reserve(text.size() + 1);
    for (std::int32_t at = iterator->first(); at != icu::BreakIterator::DONE;
         at = iterator->next()) {
        boundaries.push_back(static_cast<std::size_t>(at));
    }
    // Leave the iterator on empty text so it never refers to a released buffer.
    utext_openUTF8(&utext, "", 0, &status);
    iterator->setText(&utext, status);
    utext_close(&utext);
    return boundaries;
}

}  // namespace tavix::text
