#include "text/TextSearch.hpp"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "text/Graphemes.hpp"
#include "text/Utf.hpp"

namespace tavix::text {
namespace {

// NFD(fold(NFD(x))) when folding, NFD(x) otherwise: the form in which two
// texts match exactly when they are (caselessly) canonically equivalent.
std::u16string matchKey(const icu::UnicodeString& source, bool caseSensitive) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
    if (U_FAILURE(status)) return std::u16string(source.getBuffer(), source.length());
    icu::UnicodeString key = nfd->normalize(source, status);
    if (!caseSensitive) {
        key.foldCase(U_FOLD_CASE_DEFAULT);
        key = nfd->normalize(key, status);
    }
    if (U_FAILURE(status)) return std::u16string(source.getBuffer(), source.length());
    return std::u16string(key.getBuffer(), static_cast<std::size_t>(key.length()));
}

std::u16string matchKey(std::string_view text, bool caseSensitive) {
    if (isAscii(text)) {
        std::u16string key(text.begin(), text.end());
        if (!caseSensitive) {
            for (char16_t& c : key) c = static_cast<char16_t>(asciiLower(static_cast<char>(c)));
        }
        return key;
    }
    return matchKey(toUtf16(text), caseSensitive);
}

// The keys of the scalars below U+0300 (ASCII and the precomposed Latin
// letters of most names), worked out once.
struct LatinKeys {
    std::array<std::u16string, 0x300> exact;
    std::array<std::u16string, 0x300> folded;
};

const LatinKeys& latinKeys() {
    static const LatinKeys keys = [] {
        LatinKeys built;
        for (UChar32 c = 0; c < 0x300; ++c) {
            const icu::UnicodeString scalar(c);
            built.exact[static_cast<std::size_t>(c)] = matchKey(scalar, true);
            built.folded[static_cast<std::size_t>(c)] = matchKey(scalar, false);
        }
        return built;
    }();
    return keys;
}

// A text as the concatenation of its clusters' keys, remembering where each
// cluster starts in the text and in the keys. Folding and decomposition work
// within a cluster, so this equals the key of the whole text.
class KeyedText {
public:
    KeyedText(std::string_view text, bool caseSensitive) {
        bytes_ = graphemeBoundaries(text);
        keys_.reserve(bytes_.size());
        units_.reserve(text.size() + 8);
        const LatinKeys& latin = latinKeys();
        for (std::size_t i = 0; i + 1 < bytes_.size(); ++i) {
            keys_.push_back(units_.size());
            const std::string_view cluster = text.substr(bytes_[i], bytes_[i + 1] - bytes_[i]);
            std::size_t after = 0;
            const UChar32 first = nextScalar(cluster, after);
            if (after == cluster.size() && first < 0x300) {
                const auto index = static_cast<std::size_t>(first);
                units_ += caseSensitive ? latin.exact[index] : latin.folded[index];
            } else {
                units_ += matchKey(toUtf16(cluster), caseSensitive);
            }
        }
        keys_.push_back(units_.size());
    }

    std::size_t positions() const { return bytes_.size() - 1; }

    // The match of `needle` starting at cluster i: its byte range and the
    // cluster just after it.
    std::optional<std::pair<TextRange, std::size_t>> matchAt(std::size_t i,
                                                             const std::u16string& needle) const {
        const std::size_t start = keys_[i];
        if (units_.size() - start < needle.size()) return std::nullopt;
        if (units_.compare(start, needle.size(), needle) != 0) return std::nullopt;
        const std::size_t end = start + needle.size();
        const auto after =
            std::lower_bound(keys_.begin() + static_cast<std::ptrdiff_t>(i) + 1, keys_.end(), end);
        if (after == keys_.end() || *after != end) return std::nullopt;  // ends inside a cluster
        const auto j = static_cast<std::size_t>(after - keys_.begin());
        return std::pair{TextRange{bytes_[i], bytes_[j]}, j};
    }

private:
    std::u16string units_;
    std::vector<std::size_t> bytes_;
    std::vector<std::size_t> keys_;
};

// ASCII text against an ASCII key: byte comparison, folding only A-Z. The one
// ASCII cluster longer than a byte is CR LF, which a match must not split.
class AsciiText {
public:
    AsciiText(std::string_view text, bool caseSensitive)
        : text_(text), caseSensitive_(caseSensitive) {}

    std::size_t positions() const { return text_.size(); }

    std::optional<std::pair<TextRange, std::size_t>> matchAt(std::size_t i,
                                                             const std::u16string& needle) const {
        if (text_.size() - i < needle.size() || !isBoundary(i)) return std::nullopt;
        for (std::size_t k = 0; k < needle.size(); ++k) {
            const char c = caseSensitive_ ? text_[i + k] : asciiLower(text_[i + k]);
            if (static_cast<char16_t>(c) != needle[k]) return std::nullopt;
        }
        const std::size_t end = i + needle.size();
        if (!isBoundary(end)) return std::nullopt;
        return std::pair{TextRange{i, end}, end};
    }

private:
    bool isBoundary(std::size_t at) const {
        return at == 0 || at >= text_.size() || text_[at - 1] != '\r' || text_[at] != '\n';
    }

    std::string_view text_;
    bool caseSensitive_;
};

template <class Haystack>
std::vector<TextRange> forward(const Haystack& haystack, const std::u16string& needle,
                               std::size_t limit) {
    std::vector<TextRange> found;
    std::size_t i = 0;
    while (i < haystack.positions() && found.size() < limit) {
        if (auto match = haystack.matchAt(i, needle)) {
            found.push_back(match->first);
            i = match->second;
        } else {
            ++i;
        }
    }
    return found;
}

template <class Haystack>
std::optional<TextRange> backward(const Haystack& haystack, const std::u16string& needle) {
    for (std::size_t i = haystack.positions(); i-- > 0;) {
        if (auto match = haystack.matchAt(i, needle)) return match->first;
    }
    return std::nullopt;
}

bool isAsciiKey(const std::u16string& key) {
    return std::all_of(key.begin(), key.end(), [](char16_t c) { return c < 0x80; });
}

std::vector<TextRange> search(std::string_view text, const Needle& needle, std::size_t limit) {
    if (needle.empty() || text.empty()) return {};
    if (isAscii(text)) {
        // ASCII keys to ASCII, so only an ASCII key can match ASCII text.
        if (!needle.isAscii()) return {};
        return forward(AsciiText(text, needle.caseSensitive()), needle.key(), limit);
    }
    return forward(KeyedText(text, needle.caseSensitive()), needle.key(), limit);
}

}  // namespace

Needle::Needle(std::string_view text, bool caseSensitive)
    : key_(text.empty() ? std::u16string() : matchKey(text, caseSensitive)),
      empty_(text.empty()),
      caseSensitive_(caseSensitive),
      ascii_(isAsciiKey(key_)) {}

std::vector<TextRange> findAll(std::string_view text, const Needle& needle) {
    return search(text, needle, std::numeric_limits<std::size_t>::max());
}

std::optional<TextRange> findFirst(std::string_view text, const Needle& needle) {
    std::vector<TextRange> found = search(text, needle, 1);
    if (found.empty()) return std::nullopt;
    return found.front();
}

std::optional<TextRange> findLast(std::string_view text, const Needle& needle) {
    if (needle.empty() || text.empty()) return std::nullopt;
    if (isAscii(text)) {
        if (!needle.isAscii()) return std::nullopt;
        return backward(AsciiText(text, needle.caseSensitive()), needle.key());
    }
    return backward(KeyedText(text, needle.caseSensitive()), needle.key());
}

std::string replaceRanges(std::string_view text, std::span<const TextRange> ranges,
                          std::string_view replacement) {
    std::string out;
    out.reserve(text.size() + ranges.size() * replacement.size());
    std::size_t kept = 0;
    for (const TextRange& range : ranges) {
        out.append(text.substr(kept, range.begin - kept));
        out.append(replacement);
        kept = range.end;
    }
    out.append(text.substr(kept));
    return out;
}

}  // namespace tavix::text
