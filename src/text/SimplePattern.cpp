#include "text/SimplePattern.hpp"

#include <cstdint>
#include <limits>

namespace tavix::text {
namespace {

// Counts beyond this are left to ICU.
constexpr std::uint32_t kLargestCount = 1000;
constexpr std::uint32_t kUnbounded = std::numeric_limits<std::uint32_t>::max();

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
// Printable ASCII that is neither a letter, a digit nor a space: what a
// backslash makes literal.
bool isPunctuation(char c) {
    return c > ' ' && c < 0x7f && !isLetter(c) && !isDigit(c);
}

using Set = std::array<std::uint64_t, 4>;

void add(Set& set, unsigned char c) {
    set[c >> 6] |= std::uint64_t{1} << (c & 63);
}
void addDigits(Set& set) {
    for (char c = '0'; c <= '9'; ++c) add(set, static_cast<unsigned char>(c));
}
bool contains(const Set& set, unsigned char c) {
    return (set[c >> 6] >> (c & 63) & 1) != 0;
}
void foldCase(Set& set) {
    for (unsigned char c = 'a'; c <= 'z'; ++c) {
        const auto upper = static_cast<unsigned char>(c - 'a' + 'A');
        if (contains(set, c) || contains(set, upper)) {
            add(set, c);
            add(set, upper);
        }
    }
}

// Reads the pattern one piece at a time; any doubt ends the reading.
class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    // Whether a \d has been read.
    bool readDigits() const { return digits_; }

    bool done() const { return at_ == text_.size(); }
    char peek() const { return text_[at_]; }
    bool take(char c) {
        if (done() || peek() != c) return false;
        ++at_;
        return true;
    }

    // One character outside a set: a literal, an escaped punctuation mark or \d.
    std::optional<Set> single() {
        Set set{};
        const char c = peek();
        if (c == '\\') {
            if (at_ + 1 >= text_.size()) return std::nullopt;
            const char escaped = text_[at_ + 1];
            at_ += 2;
            if (escaped == 'd') {
                addDigits(set);
                digits_ = true;
            } else if (isPunctuation(escaped)) {
                add(set, static_cast<unsigned char>(escaped));
            } else {
                return std::nullopt;
            }
            return set;
        }
        // Letters, digits, spaces and the punctuation that has no meaning of its own.
        if (c < ' ' || c >= 0x7f) return std::nullopt;
        if (std::string_view("^$.|?*+()[]{}").find(c) != std::string_view::npos) {
            return std::nullopt;
        }
        ++at_;
        add(set, static_cast<unsigned char>(c));
        return set;
    }

    // A set in brackets of literals, escaped punctuation, \d and ranges between
    // two literals; never negated, nested, combined or named.
    std::optional<Set> bracketed() {
        ++at_;  // '['
        Set set{};
        bool any = false;
        while (!done() && peek() != ']') {
            const std::optional<char> from = setLiteral();
            if (!from) {
                if (text_.substr(at_, 2) != "\\d") return std::nullopt;
                at_ += 2;
                addDigits(set);
                digits_ = true;
                any = true;
                continue;
            }
            char to = *from;
            if (take('-')) {
                const std::optional<char> last = setLiteral();
                if (!last || *last < *from) return std::nullopt;
                to = *last;
            }
            for (int c = *from; c <= to; ++c) add(set, static_cast<unsigned char>(c));
            any = true;
        }
        if (!any || !take(']')) return std::nullopt;
        return set;
    }

    // A quantifier, or {1, 1} when none follows. Lazy and possessive ones are refused.
    std::optional<std::pair<std::uint32_t, std::uint32_t>> quantifier() {
        std::pair<std::uint32_t, std::uint32_t> count{1, 1};
        if (take('?')) {
            count = {0, 1};
        } else if (take('*')) {
            count = {0, kUnbounded};
        } else if (take('+')) {
            count = {1, kUnbounded};
        } else if (take('{')) {
            const auto low = number();
            if (!low) return std::nullopt;
            count = {*low, *low};
            if (take(',')) {
                count.second = kUnbounded;
                if (!done() && isDigit(peek())) {
                    const auto high = number();
                    if (!high || *high < *low) return std::nullopt;
                    count.second = *high;
                }
            }
            if (!take('}')) return std::nullopt;
        } else {
            return count;
        }
        if (!done() && (peek() == '?' || peek() == '+' || peek() == '*' || peek() == '{'))
            return std::nullopt;
        return count;
    }

private:
    // A literal inside a set: not one of the characters sets give a meaning to.
    std::optional<char> setLiteral() {
        if (done()) return std::nullopt;
        const char c = peek();
        if (c == '\\') {
            if (at_ + 1 >= text_.size() || !isPunctuation(text_[at_ + 1])) return std::nullopt;
            at_ += 2;
            return text_[at_ - 1];
        }
        if (c < ' ' || c >= 0x7f) return std::nullopt;
        if (std::string_view("[]^-&$:{}").find(c) != std::string_view::npos) return std::nullopt;
        ++at_;
        return c;
    }

    std::optional<std::uint32_t> number() {
        std::uint32_t n = 0;
        bool any = false;
        while (!done() && isDigit(peek())) {
            n = n * 10 + static_cast<std::uint32_t>(peek() - '0');
            if (n > kLargestCount) return std::nullopt;
            ++at_;
            any = true;
        }
        if (!any) return std::nullopt;
        return n;
    }

    std::string_view text_;
    std::size_t at_ = 0;
    bool digits_ = false;
};

}  // namespace

std::optional<SimplePattern> SimplePattern::parse(std::string_view pattern, bool fold) {
    SimplePattern result;
    Reader reader(pattern);
    // The first atom of the group open at this point, or none.
    constexpr std::size_t none = SIZE_MAX;
    std::size_t openGroup = none;
    while (!reader.done()) {
        if (reader.take('(')) {
            if (openGroup != none || reader.done() || reader.peek() == '?') return std::nullopt;
            openGroup = result.atoms_.size();
            continue;
        }
        if (reader.take(')')) {
            if (openGroup == none || openGroup == result.atoms_.size()) return std::nullopt;
            result.groups_.push_back({openGroup, result.atoms_.size()});
            openGroup = none;
            // A quantified group may have to backtrack into itself.
            if (!reader.done() && (reader.peek() == '?' || reader.peek() == '*' ||
                                   reader.peek() == '+' || reader.peek() == '{'))
                return std::nullopt;
            continue;
        }
        const std::optional<Set> set = reader.peek() == '[' ? reader.bracketed() : reader.single();
        if (!set) return std::nullopt;
        const auto count = reader.quantifier();
        if (!count) return std::nullopt;
        Atom atom;
        atom.set = *set;
        if (fold) foldCase(atom.set);
        atom.min = count->first;
        atom.max = count->second;
        result.atoms_.push_back(atom);
    }
    if (openGroup != none) return std::nullopt;
    result.digits_ = reader.readDigits();
    result.fold_ = fold;

    bool consumes = false;
    for (std::size_t i = 0; i < result.atoms_.size(); ++i) {
        const Atom& atom = result.atoms_[i];
        consumes = consumes || atom.min > 0;
        result.shortest_ += atom.min;
        if (atom.min == atom.max) continue;
        for (std::size_t j = i + 1; j < result.atoms_.size(); ++j) {
            const Set& later = result.atoms_[j].set;
            for (std::size_t word = 0; word < atom.set.size(); ++word) {
                if ((atom.set[word] & later[word]) != 0) return std::nullopt;
            }
        }
    }
    if (!consumes) return std::nullopt;
    result.starts_.resize(result.atoms_.size() + 1);
    for (unsigned c = 0; c < 256; ++c) {
        result.starters_[c] = result.atoms_.front().has(static_cast<unsigned char>(c));
    }
    return result;
}

std::optional<std::size_t> SimplePattern::matchAt(std::string_view text, std::size_t at) const {
    for (std::size_t i = 0; i < atoms_.size(); ++i) {
        const Atom& atom = atoms_[i];
        starts_[i] = at;
        std::size_t count = 0;
        while (count < atom.max && at + count < text.size() &&
               atom.has(static_cast<unsigned char>(text[at + count]))) {
            ++count;
        }
        if (count < atom.min) return std::nullopt;
        at += count;
    }
    starts_[atoms_.size()] = at;
    return at;
}

bool SimplePattern::find(std::string_view text, std::size_t from, Spans& spans) const {
    if (text.size() < shortest_) return false;
    const std::size_t last = text.size() - shortest_;  // the last place a match can start
    const Atom& first = atoms_.front();
    for (std::size_t at = from; at <= last; ++at) {
        // Where the first character can't start, no match can.
        if (first.min > 0) {
            while (at <= last && !starters_[static_cast<unsigned char>(text[at])]) ++at;
            if (at > last) return false;
        }
        const std::optional<std::size_t> end = matchAt(text, at);
        if (!end) continue;
        spans.resize(groups_.size() + 1);
        spans[0] = {at, *end};
        for (std::size_t g = 0; g < groups_.size(); ++g) {
            spans[g + 1] = {starts_[groups_[g].first], starts_[groups_[g].end]};
        }
        return true;
    }
    return false;
}

}  // namespace tavix::text
