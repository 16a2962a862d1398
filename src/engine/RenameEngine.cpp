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
    // Where a new name is written, then swapped with the old one: the two
    // buffers serve every name, and a long list's steps take no memory per name.
    std::string out;
};

namespace {

using Parts = PreparedStep::Parts;

// What a step made of a name: the name as it was, a new name (in Parts::out),
// or nothing, when its regular expression couldn't finish on it.
enum class Outcome { kept, written, unfinished };

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

// `text` as the new name.
Outcome written(std::string&& text, Parts& parts) {
    parts.out = std::move(text);
    return Outcome::written;
}

Outcome replaced(const std::string& name, std::span<const text::TextRange> ranges,
                 std::string_view replacement, Parts& parts) {
    if (ranges.empty()) return Outcome::kept;
    return written(text::replaceRanges(name, ranges, replacement), parts);
}

// Character counts: the clamped count `n` measured against a name of `length`
// characters, without overflow for any 64-bit value.
bool atLeast(std::int64_t n, std::size_t length) {
    return n >= 0 && static_cast<std::uint64_t>(n) >= length;
}

Outcome applyStep(const FindReplace& step, Parts& parts, const Subject& subject) {
    if (step.find.empty()) return Outcome::kept;
    const std::string& name = subject.name;

    switch (step.occurrences) {
        case Occurrences::first:
        case Occurrences::last: {
            // Only `all` reads the pattern as a regular expression.
            const auto match = step.occurrences == Occurrences::first
                                   ? text::findFirst(name, *parts.needle)
                                   : text::findLast(name, *parts.needle);
            if (!match) return Outcome::kept;
            return replaced(name, std::span(&*match, 1), parts.replacement, parts);
        }
        case Occurrences::all:
            if (step.regex) {
                if (!parts.regex) return Outcome::kept;
                switch (parts.regex->replaceAll(name, parts.out)) {
                    case text::Replaced::none:
                        return Outcome::kept;
                    case text::Replaced::some:
                        return Outcome::written;
                    case text::Replaced::unfinished:
                        return Outcome::unfinished;
                }
            }
            return replaced(name, text::findAll(name, *parts.needle), parts.replacement, parts);
    }
    return Outcome::kept;
}

Outcome applyStep(const AddText& step, Parts& parts, const Subject& subject) {
    if (step.text.empty()) return Outcome::kept;
    std::string& out = parts.out;
    out.clear();
    if (step.position == Position::prefix) {
        out.append(parts.text).append(subject.name);
    } else {
        out.append(subject.name).append(parts.text);
    }
    return Outcome::written;
}

Outcome applyStep(const RemoveText& step, Parts& parts, const Subject& subject) {
    if (step.text.empty()) return Outcome::kept;
    return replaced(subject.name, text::findAll(subject.name, *parts.needle), "", parts);
}

Outcome applyStep(const ChangeCase& step, Parts& parts, const Subject& subject) {
    switch (step.style) {
        case CaseStyle::lower:
            text::lowercased(subject.name, parts.out);
            return Outcome::written;
        case CaseStyle::upper:
            return written(text::uppercased(subject.name), parts);
        case CaseStyle::title:
            return written(text::capitalized(subject.name), parts);
        case CaseStyle::sentence:
            return written(text::sentenceCased(subject.name), parts);
    }
    return Outcome::kept;
}

Outcome applyStep(const RemoveCharacters& step, Parts& parts, const Subject& subject) {
    if (step.kind == CharacterClass::custom && step.custom.empty()) return Outcome::kept;
    switch (step.kind) {
        case CharacterClass::digits:
            return written(text::removeScalars(subject.name, text::ScalarClass::digits), parts);
        case CharacterClass::punctuation:
            return written(text::removeScalars(subject.name, text::ScalarClass::punctuation),
                           parts);
        case CharacterClass::whitespace:
            return written(text::removeScalars(subject.name, text::ScalarClass::whitespace),
                           parts);
        case CharacterClass::symbols:
            return written(text::removeScalars(subject.name, text::ScalarClass::symbols), parts);
        case CharacterClass::custom:
            break;
    }
    return written(text::removeScalarsOf(subject.name, parts.text), parts);
}

Outcome applyStep(const CollapseSpaces&, Parts& parts, const Subject& subject) {
    std::string& collapsed = parts.out;
    collapsed.clear();
    for (char c : subject.name) {
        if (c == ' ' && !collapsed.empty() && collapsed.back() == ' ') continue;
        collapsed += c;
    }
    const std::string_view trimmed = text::trimWhitespace(collapsed);
    collapsed.erase(static_cast<std::size_t>(trimmed.data() + trimmed.size() - collapsed.data()));
    collapsed.erase(0, static_cast<std::size_t>(trimmed.data() - collapsed.data()));
    return Outcome::written;
}

// The bytes [from, to) of the name as the new name.
Outcome part(const std::string& name, std::size_t from, std::size_t to, Parts& parts) {
    parts.out.assign(name, from, to - from);
    return Outcome::written;
}

Outcome applyStep(const Crop& step, Parts& parts, const Subject& subject) {
    const std::int64_t n = std::max<std::int64_t>(step.count, 0);
    const std::string& name = subject.name;
    if (n == 0 || name.empty()) return Outcome::kept;
    const std::vector<std::size_t> b = text::graphemeBoundaries(name);
    const std::size_t length = b.size() - 1;
    const bool all = atLeast(n, length);
    const std::size_t cut = all ? 0 : static_cast<std::size_t>(n);
    switch (step.mode) {
        case CropMode::removeFirst:
            return all ? part(name, 0, 0, parts) : part(name, b[cut], name.size(), parts);
        case CropMode::removeLast:
            return all ? part(name, 0, 0, parts) : part(name, 0, b[length - cut], parts);
        case CropMode::keepFirst:
            return all ? Outcome::kept : part(name, 0, b[cut], parts);
        case CropMode::keepLast:
            return all ? Outcome::kept : part(name, b[length - cut], name.size(), parts);
    }
    return Outcome::kept;
}

Outcome applyStep(const InsertAt& step, Parts& parts, const Subject& subject) {
    if (step.text.empty()) return Outcome::kept;
    const std::string& name = subject.name;
    const std::vector<std::size_t> b = text::graphemeBoundaries(name);
    const std::size_t length = b.size() - 1;
    const std::size_t p = step.offset <= 0               ? 0
                          : atLeast(step.offset, length) ? length
                                                         : static_cast<std::size_t>(step.offset);
    std::string& out = parts.out;
    out.clear();
    out.append(name, 0, b[p]).append(parts.text).append(name, b[p]);
    return Outcome::written;
}

Outcome applyStep(const Truncate& step, Parts& parts, const Subject& subject) {
    const std::int64_t limit = std::max<std::int64_t>(step.limit, 1);
    const std::string& name = subject.name;
    // A character takes at least one byte, so a short name is within any limit.
    if (atLeast(limit, name.size())) return Outcome::kept;
    const std::vector<std::size_t> b = text::graphemeBoundaries(name);
    const std::size_t length = b.size() - 1;
    if (atLeast(limit, length)) return Outcome::kept;
    const auto kept = static_cast<std::size_t>(limit);
    return step.from == Position::suffix ? part(name, 0, b[kept], parts)
                                         : part(name, b[length - kept], name.size(), parts);
}

Outcome applyStep(const Sequence& step, Parts& parts, const Subject& subject) {
    GeneratedText::sequence(step, subject.name, subject.index, parts.out);
    return Outcome::written;
}
Outcome applyStep(const RomanNumeral& step, Parts& parts, const Subject& subject) {
    GeneratedText::romanNumeral(step, subject.name, subject.index, parts.out);
    return Outcome::written;
}
Outcome applyStep(const LetterSequence& step, Parts& parts, const Subject& subject) {
    GeneratedText::letterSequence(step, subject.name, subject.index, parts.out);
    return Outcome::written;
}
Outcome applyStep(const DateStamp& step, Parts& parts, const Subject& subject) {
    if (subject.knownDate) {
        GeneratedText::dateStamp(step, *parts.dates, subject.name, *subject.knownDate, parts.out);
    } else {
        GeneratedText::dateStamp(step, *parts.dates, subject.name, subject.path,
                                 subject.dates == DateSource::taken, parts.out);
    }
    return Outcome::written;
}
Outcome applyStep(const ImageDimensions& step, Parts& parts, const Subject& subject) {
    return GeneratedText::imageDimensions(step, subject.name, subject.path, parts.out)
               ? Outcome::written
               : Outcome::kept;
}
Outcome applyStep(const ParentFolder& step, Parts& parts, const Subject& subject) {
    return GeneratedText::parentFolder(step, subject.name, subject.path, parts.out)
               ? Outcome::written
               : Outcome::kept;
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

bool PreparedStep::applyTo(std::string& name, std::int64_t index, const Location& path) {
    // A name that isn't well-formed UTF-8 keeps its bytes: no step re-encodes it.
    // ICU measures texts in 32-bit lengths.
    if (name.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) / 4 ||
        !text::isValidUtf8(name)) {
        return true;
    }
    const bool known = index >= 0 && static_cast<std::size_t>(index) < known_.size();
    const Subject subject{name, index, path, dates_,
                          known ? &known_[static_cast<std::size_t>(index)] : nullptr};
    const Outcome outcome = std::visit(
        [&](const auto& step) { return applyStep(step, *parts_, subject); }, parts_->rule.kind);
    if (outcome == Outcome::written) name.swap(parts_->out);
    return outcome != Outcome::unfinished;
}

}  // namespace tavix::RenameEngine
