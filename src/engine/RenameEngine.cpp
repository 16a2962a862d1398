#include "engine/RenameEngine.hpp"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <span>
#include <variant>

#include "engine/GeneratedText.hpp"
#include "engine/text/CaseMapping.hpp"
#include "engine/text/CharacterClasses.hpp"
#include "engine/text/Graphemes.hpp"
#include "engine/text/RegexReplace.hpp"
#include "engine/text/TextSearch.hpp"
#include "engine/text/Utf.hpp"

namespace tavix::RenameEngine {
namespace {

// What a step is applied to. The name is well-formed UTF-8.
struct Subject {
    const std::string& name;
    std::int64_t index;
    const std::filesystem::path& url;
    DateSource dates;
};

// A text parameter as well-formed UTF-8: itself, or a repaired copy kept in `storage`.
std::string_view wellFormed(const std::string& text, std::string& storage) {
    if (text::isValidUtf8(text)) return text;
    storage = text::validUtf8(text);
    return storage;
}

std::string replaced(const std::string& name, std::span<const text::TextRange> ranges,
                     std::string_view replacement) {
    if (ranges.empty()) return name;
    return text::replaceRanges(name, ranges, replacement);
}

// Character counts: the clamped count `n` measured against a name of `length`
// characters, without overflow for any 64-bit value.
bool atLeast(std::int64_t n, std::size_t length) {
    return n >= 0 && static_cast<std::uint64_t>(n) >= length;
}

std::string applyStep(const FindReplace& step, const Subject& subject) {
    if (step.find.empty()) return subject.name;
    std::string findStorage, replaceStorage;
    const std::string_view find = wellFormed(step.find, findStorage);
    const std::string_view replacement = wellFormed(step.replace, replaceStorage);
    const std::string& name = subject.name;

    switch (step.occurrences) {
        case Occurrences::first:
        case Occurrences::last: {
            // Only `all` reads the pattern as a regular expression.
            const auto match = step.occurrences == Occurrences::first
                                   ? text::findFirst(name, find, step.caseSensitive)
                                   : text::findLast(name, find, step.caseSensitive);
            if (!match) return name;
            return replaced(name, std::span(&*match, 1), replacement);
        }
        case Occurrences::all:
            if (step.regex) {
                return text::regexReplaceAll(name, find, replacement, step.caseSensitive)
                    .value_or(name);
            }
            return replaced(name, text::findAll(name, find, step.caseSensitive), replacement);
    }
    return name;
}

std::string applyStep(const AddText& step, const Subject& subject) {
    if (step.text.empty()) return subject.name;
    std::string storage;
    const std::string_view text = wellFormed(step.text, storage);
    std::string out;
    out.reserve(subject.name.size() + text.size());
    if (step.position == Position::prefix) {
        out.append(text).append(subject.name);
    } else {
        out.append(subject.name).append(text);
    }
    return out;
}

std::string applyStep(const RemoveText& step, const Subject& subject) {
    if (step.text.empty()) return subject.name;
    std::string storage;
    const std::string_view text = wellFormed(step.text, storage);
    return replaced(subject.name, text::findAll(subject.name, text, step.caseSensitive), "");
}

std::string applyStep(const ChangeCase& step, const Subject& subject) {
    switch (step.style) {
        case CaseStyle::lower:
            return text::lowercased(subject.name);
        case CaseStyle::upper:
            return text::uppercased(subject.name);
        case CaseStyle::title:
            return text::capitalized(subject.name);
        case CaseStyle::sentence:
            return text::sentenceCased(subject.name);
    }
    return subject.name;
}

std::string applyStep(const RemoveCharacters& step, const Subject& subject) {
    if (step.kind == CharacterClass::custom && step.custom.empty()) return subject.name;
    std::string storage;
    const std::string_view custom = wellFormed(step.custom, storage);
    return text::removeScalars(subject.name, step.kind, custom);
}

std::string applyStep(const CollapseSpaces&, const Subject& subject) {
    std::string collapsed;
    collapsed.reserve(subject.name.size());
    for (char c : subject.name) {
        if (c == ' ' && !collapsed.empty() && collapsed.back() == ' ') continue;
        collapsed += c;
    }
    return std::string(text::trimWhitespace(collapsed));
}

std::string applyStep(const Crop& step, const Subject& subject) {
    const std::int64_t n = std::max<std::int64_t>(step.count, 0);
    const std::string& name = subject.name;
    if (n == 0 || name.empty()) return name;
    const std::vector<std::size_t> b = text::graphemeBoundaries(name);
    const std::size_t length = b.size() - 1;
    const bool all = atLeast(n, length);
    const std::size_t cut = all ? 0 : static_cast<std::size_t>(n);
    switch (step.mode) {
        case CropMode::removeFirst:
            return all ? std::string() : name.substr(b[cut]);
        case CropMode::removeLast:
            return all ? std::string() : name.substr(0, b[length - cut]);
        case CropMode::keepFirst:
            return all ? name : name.substr(0, b[cut]);
        case CropMode::keepLast:
            return all ? name : name.substr(b[length - cut]);
    }
    return name;
}

std::string applyStep(const InsertAt& step, const Subject& subject) {
    if (step.text.empty()) return subject.name;
    std::string storage;
    const std::string_view text = wellFormed(step.text, storage);
    const std::string& name = subject.name;
    const std::vector<std::size_t> b = text::graphemeBoundaries(name);
    const std::size_t length = b.size() - 1;
    const std::size_t p = step.offset <= 0               ? 0
                          : atLeast(step.offset, length) ? length
                                                         : static_cast<std::size_t>(step.offset);
    std::string out;
    out.reserve(name.size() + text.size());
    out.append(name, 0, b[p]).append(text).append(name, b[p]);
    return out;
}

std::string applyStep(const Truncate& step, const Subject& subject) {
    const std::int64_t limit = std::max<std::int64_t>(step.limit, 1);
    const std::string& name = subject.name;
    // A character takes at least one byte, so a short name is within any limit.
    if (atLeast(limit, name.size())) return name;
    const std::vector<std::size_t> b = text::graphemeBoundaries(name);
    const std::size_t length = b.size() - 1;
    if (atLeast(limit, length)) return name;
    const auto kept = static_cast<std::size_t>(limit);
    return step.from == Position::suffix ? name.substr(0, b[kept]) : name.substr(b[length - kept]);
}

std::string applyStep(const Sequence& step, const Subject& subject) {
    return GeneratedText::sequence(step, subject.name, subject.index);
}
std::string applyStep(const RomanNumeral& step, const Subject& subject) {
    return GeneratedText::romanNumeral(step, subject.name, subject.index);
}
std::string applyStep(const LetterSequence& step, const Subject& subject) {
    return GeneratedText::letterSequence(step, subject.name, subject.index);
}
std::string applyStep(const DateStamp& step, const Subject& subject) {
    return GeneratedText::dateStamp(step, subject.name, subject.url,
                                    subject.dates == DateSource::taken);
}
std::string applyStep(const ImageDimensions& step, const Subject& subject) {
    return GeneratedText::imageDimensions(step, subject.name, subject.url);
}
std::string applyStep(const ParentFolder& step, const Subject& subject) {
    return GeneratedText::parentFolder(step, subject.name, subject.url);
}

}  // namespace

std::string apply(const RenameRule& rule, const std::string& name, std::int64_t index,
                  const std::filesystem::path& url, DateSource dates) {
    // A name that isn't well-formed UTF-8 keeps its bytes: no step re-encodes it.
    // ICU measures texts in 32-bit lengths.
    if (name.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) / 4 ||
        !text::isValidUtf8(name)) {
        return name;
    }
    const Subject subject{name, index, url, dates};
    return std::visit([&](const auto& step) { return applyStep(step, subject); }, rule.kind);
}

}  // namespace tavix::RenameEngine
