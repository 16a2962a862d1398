#include "engine/RenameEngine.hpp"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>
#include <variant>

#include "engine/GeneratedText.hpp"
#include "text/CaseMapping.hpp"
#include "text/CharacterClasses.hpp"
#include "text/Graphemes.hpp"
#include "text/RegexReplace.hpp"
#include "text/TextSearch.hpp"
#include "text/Utf.hpp"

namespace tavix::RenameEngine {

// The step and what was worked out from its parameters once.
struct PreparedStep::Parts {
    RenameRule rule;
    std::string text;         // find, text or custom, as well-formed UTF-8
    std::string replacement;  // findReplace's replacement, as well-formed UTF-8
    std::optional<text::Needle> needle;         // the plain-text search
    std::unique_ptr<text::RegexReplacer> regex;  // null when the pattern can't be used
    std::optional<GeneratedText::DateFormatter> dates;
};

namespace {

using Parts = PreparedStep::Parts;

// What a step is applied to. The name is well-formed UTF-8.
struct Subject {
    const std::string& name;
    std::int64_t index;
    const Location& path;
    DateSource dates;
    // The date its date step writes, where already read.
    const std::optional<FileSystem::Timestamp>* knownDate;
};

// A text parameter as well-formed UTF-8.
std::string wellFormed(const std::string& text) {
    return text::isValidUtf8(text) ? text : text::validUtf8(text);
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

// Nothing when the regular expression couldn't finish on this name.
std::optional<std::string> applyStep(const FindReplace& step, Parts& parts,
                                     const Subject& subject) {
    if (step.find.empty()) return subject.name;
    const std::string& name = subject.name;

    switch (step.occurrences) {
        case Occurrences::first:
        case Occurrences::last: {
            // Only `all` reads the pattern as a regular expression.
            const auto match = step.occurrences == Occurrences::first
                                   ? text::findFirst(name, *parts.needle)
                                   : text::findLast(name, *parts.needle);
            if (!match) return name;
            return replaced(name, std::span(&*match, 1), parts.replacement);
        }
        case Occurrences::all:
            if (step.regex) {
                if (!parts.regex) return name;
                return parts.regex->replaceAll(name);
            }
            return replaced(name, text::findAll(name, *parts.needle), parts.replacement);
    }
    return name;
}

std::string applyStep(const AddText& step, Parts& parts, const Subject& subject) {
    if (step.text.empty()) return subject.name;
    const std::string& text = parts.text;
    std::string out;
    out.reserve(subject.name.size() + text.size());
    if (step.position == Position::prefix) {
        out.append(text).append(subject.name);
    } else {
        out.append(subject.name).append(text);
    }
    return out;
}

std::string applyStep(const RemoveText& step, Parts& parts, const Subject& subject) {
    if (step.text.empty()) return subject.name;
    return replaced(subject.name, text::findAll(subject.name, *parts.needle), "");
}

std::string applyStep(const ChangeCase& step, Parts&, const Subject& subject) {
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

std::string applyStep(const RemoveCharacters& step, Parts& parts, const Subject& subject) {
    if (step.kind == CharacterClass::custom && step.custom.empty()) return subject.name;
    switch (step.kind) {
        case CharacterClass::digits:
            return text::removeScalars(subject.name, text::ScalarClass::digits);
        case CharacterClass::punctuation:
            return text::removeScalars(subject.name, text::ScalarClass::punctuation);
        case CharacterClass::whitespace:
            return text::removeScalars(subject.name, text::ScalarClass::whitespace);
        case CharacterClass::symbols:
            return text::removeScalars(subject.name, text::ScalarClass::symbols);
        case CharacterClass::custom:
            break;
    }
    return text::removeScalarsOf(subject.name, parts.text);
}

std::string applyStep(const CollapseSpaces&, Parts&, const Subject& subject) {
    std::string collapsed;
    collapsed.reserve(subject.name.size());
    for (char c : subject.name) {
        if (c == ' ' && !collapsed.empty() && collapsed.back() == ' ') continue;
        collapsed += c;
    }
    return std::string(text::trimWhitespace(collapsed));
}

std::string applyStep(const Crop& step, Parts&, const Subject& subject) {
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

std::string applyStep(const InsertAt& step, Parts& parts, const Subject& subject) {
    if (step.text.empty()) return subject.name;
    const std::string& text = parts.text;
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

std::string applyStep(const Truncate& step, Parts&, const Subject& subject) {
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

std::string applyStep(const Sequence& step, Parts&, const Subject& subject) {
    return GeneratedText::sequence(step, subject.name, subject.index);
}
std::string applyStep(const RomanNumeral& step, Parts&, const Subject& subject) {
    return GeneratedText::romanNumeral(step, subject.name, subject.index);
}
std::string applyStep(const LetterSequence& step, Parts&, const Subject& subject) {
    return GeneratedText::letterSequence(step, subject.name, subject.index);
}
std::string applyStep(const DateStamp& step, Parts& parts, const Subject& subject) {
    if (subject.knownDate) {
        return GeneratedText::dateStamp(step, *parts.dates, subject.name, *subject.knownDate);
    }
    return GeneratedText::dateStamp(step, *parts.dates, subject.name, subject.path,
                                    subject.dates == DateSource::taken);
}
std::string applyStep(const ImageDimensions& step, Parts&, const Subject& subject) {
    return GeneratedText::imageDimensions(step, subject.name, subject.path);
}
std::string applyStep(const ParentFolder& step, Parts&, const Subject& subject) {
    return GeneratedText::parentFolder(step, subject.name, subject.path);
}

// What each kind works out once.
void prepare(const FindReplace& step, Parts& parts) {
    if (step.find.empty()) return;
    parts.text = wellFormed(step.find);
    parts.replacement = wellFormed(step.replace);
    if (step.regex && step.occurrences == Occurrences::all) {
        parts.regex = text::RegexReplacer::make(parts.text, parts.replacement, step.caseSensitive);
    } else {
        parts.needle.emplace(parts.text, step.caseSensitive);
    }
}
void prepare(const RemoveText& step, Parts& parts) {
    if (step.text.empty()) return;
    parts.text = wellFormed(step.text);
    parts.needle.emplace(parts.text, step.caseSensitive);
}
void prepare(const AddText& step, Parts& parts) {
    parts.text = wellFormed(step.text);
}
void prepare(const InsertAt& step, Parts& parts) {
    parts.text = wellFormed(step.text);
}
void prepare(const RemoveCharacters& step, Parts& parts) {
    parts.text = wellFormed(step.custom);
}
void prepare(const DateStamp& step, Parts& parts) {
    parts.dates.emplace(GeneratedText::datePattern(step));
}
void prepare(const auto&, Parts&) {}

}  // namespace

PreparedStep::PreparedStep(const RenameRule& rule, DateSource dates, KnownDates known)
    : parts_(std::make_unique<Parts>()), dates_(dates), known_(known) {
    parts_->rule = rule;
    std::visit([&](const auto& step) { prepare(step, *parts_); }, parts_->rule.kind);
}

PreparedStep::~PreparedStep() = default;
PreparedStep::PreparedStep(PreparedStep&&) noexcept = default;
PreparedStep& PreparedStep::operator=(PreparedStep&&) noexcept = default;

std::optional<std::string> PreparedStep::tryApply(const std::string& name, std::int64_t index,
                                                  const Location& path) {
    // A name that isn't well-formed UTF-8 keeps its bytes: no step re-encodes it.
    // ICU measures texts in 32-bit lengths.
    if (name.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) / 4 ||
        !text::isValidUtf8(name)) {
        return name;
    }
    const bool known = index >= 0 && static_cast<std::size_t>(index) < known_.size();
    const Subject subject{name, index, path, dates_,
                          known ? &known_[static_cast<std::size_t>(index)] : nullptr};
    return std::visit(
        [&](const auto& step) -> std::optional<std::string> {
            return applyStep(step, *parts_, subject);
        },
        parts_->rule.kind);
}

std::string PreparedStep::apply(const std::string& name, std::int64_t index, const Location& path) {
    std::optional<std::string> out = tryApply(name, index, path);
    return out ? std::move(*out) : name;
}

std::string apply(const RenameRule& rule, const std::string& name, std::int64_t index,
                  const Location& path, DateSource dates) {
    return PreparedStep(rule, dates).apply(name, index, path);
}

}  // namespace tavix::RenameEngine
