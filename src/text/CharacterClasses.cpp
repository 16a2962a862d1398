#include "text/CharacterClasses.hpp"

#include <unicode/uchar.h>

#include <algorithm>
#include <bitset>
#include <cstdint>
#include <vector>

#include "text/Utf.hpp"

namespace tavix::text {
namespace {

std::uint32_t categoryMask(ScalarClass kind) {
    switch (kind) {
        case ScalarClass::digits:
            return U_GC_ND_MASK;
        case ScalarClass::punctuation:
            return U_GC_P_MASK;
        case ScalarClass::whitespace:
            return U_GC_ZS_MASK;
        case ScalarClass::symbols:
            return U_GC_S_MASK;
    }
    return 0;
}

// The scalars of a custom set: a bitmap for ASCII, a sorted list for the rest.
class ScalarSet {
public:
    explicit ScalarSet(std::string_view text) {
        std::size_t i = 0;
        while (i < text.size()) {
            const UChar32 c = nextScalar(text, i);
            if (c < 0x80) {
                ascii_.set(static_cast<std::size_t>(c));
            } else {
                others_.push_back(c);
            }
        }
        std::sort(others_.begin(), others_.end());
    }

    bool contains(UChar32 c) const {
        if (c < 0x80) return ascii_.test(static_cast<std::size_t>(c));
        return std::binary_search(others_.begin(), others_.end(), c);
    }

private:
    std::bitset<0x80> ascii_;
    std::vector<UChar32> others_;
};

template <class Predicate>
std::string removeWhere(std::string_view text, Predicate inSet) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t start = i;
        const UChar32 c = nextScalar(text, i);
        if (!inSet(c)) out.append(text.substr(start, i - start));
    }
    return out;
}

bool isWhitespace(UChar32 c) {
    return c == '\t' || u_charType(c) == U_SPACE_SEPARATOR;
}

}  // namespace

bool isInClass(UChar32 c, ScalarClass kind) {
    if (kind == ScalarClass::whitespace && c == '\t') return true;
    return (U_GET_GC_MASK(c) & categoryMask(kind)) != 0;
}

std::string removeScalars(std::string_view text, ScalarClass kind) {
    return removeWhere(text, [kind](UChar32 c) { return isInClass(c, kind); });
}

std::string removeScalarsOf(std::string_view text, std::string_view set) {
    const ScalarSet scalars(set);
    return removeWhere(text, [&](UChar32 c) { return scalars.contains(c); });
}

std::string_view trimWhitespace(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        std::size_t next = begin;
        if (!isWhitespace(nextScalar(text, next))) break;
        begin = next;
    }
    std::size_t end = text.size();
    while (end > begin) {
        std::size_t previous = end;
        if (!isWhitespace(previousScalar(text, previous))) break;
        end = previous;
    }
    return text.substr(begin, end - begin);
}

}  // namespace tavix::text
