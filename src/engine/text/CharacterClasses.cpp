#include "engine/text/CharacterClasses.hpp"

#include <unicode/uchar.h>

#include <algorithm>
#include <bitset>
#include <cstdint>
#include <vector>

#include "engine/text/Utf.hpp"

namespace tavix::text {
namespace {

std::uint32_t categoryMask(CharacterClass kind) {
    switch (kind) {
        case CharacterClass::digits:
            return U_GC_ND_MASK;
        case CharacterClass::punctuation:
            return U_GC_P_MASK;
        case CharacterClass::whitespace:
            return U_GC_ZS_MASK;
        case CharacterClass::symbols:
            return U_GC_S_MASK;
        case CharacterClass::custom:
            break;
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

bool isInClass(UChar32 c, CharacterClass kind) {
    if (kind == CharacterClass::whitespace && c == '\t') return true;
    return (U_GET_GC_MASK(c) & categoryMask(kind)) != 0;
}

std::string removeScalars(std::string_view text, CharacterClass kind, std::string_view custom) {
    if (kind == CharacterClass::custom) {
        const ScalarSet set(custom);
        return removeWhere(text, [&](UChar32 c) { return set.contains(c); });
    }
    return removeWhere(text, [kind](UChar32 c) { return isInClass(c, kind); });
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
