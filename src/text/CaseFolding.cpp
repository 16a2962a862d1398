#include "text/CaseFolding.hpp"

#include <algorithm>

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

std::string_view caseFoldedKey(std::string_view name, std::string& room) {
    if (isAscii(name)) {
        if (std::none_of(name.begin(), name.end(), [](char c) { return c >= 'A' && c <= 'Z'; }))
            return name;
        room.assign(name);
        for (char& c : room) c = asciiLower(c);
        return room;
    }
    if (!isValidUtf8(name)) return name;
    room = canonicalForm(lowercased(name));
    return room;
}

}  // namespace tavix::text
