#include "text/CaseFolding.hpp"

#include "text/CanonicalText.hpp"
#include "text/CaseMapping.hpp"
#include "text/Utf.hpp"

namespace tavix::text {

bool differsOnlyInCase(std::string_view a, std::string_view b) {
    // Names in ASCII, most of them, are compared without building lowercase copies.
    if (isAscii(a) && isAscii(b)) {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (asciiLower(a[i]) != asciiLower(b[i])) return false;
        }
        return true;
    }
    if (differInKeptAscii(a, b) || !isValidUtf8(a) || !isValidUtf8(b)) return false;
    return canonicallyEqual(lowercased(a), lowercased(b));
}

std::string caseFoldedKey(std::string_view name) {
    if (!isValidUtf8(name)) return std::string(name);
    return canonicalForm(lowercased(name));
}

}  // namespace tavix::text
