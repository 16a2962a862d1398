#include "cli/ShortSteps.hpp"

#include <array>
#include <charconv>
#include <vector>

#include "rules/Catalogue.hpp"
#include "rules/RuleCoding.hpp"
#include "rules/StepJson.hpp"

namespace tavix::cli::ShortSteps {
namespace {

using Json = nlohmann::ordered_json;

[[noreturn]] void fail(const std::string& message) {
    throw RuleDecodingError(message);
}

std::string inQuotes(std::string_view text) {
    // Appended, not "\"" + std::string&&: GCC 12 at -O3 warns falsely (-Wrestrict).
    std::string quoted(1, '"');
    quoted.append(text).push_back('"');
    return quoted;
}

// The case names in declared order; the titles come from the rules themselves.
constexpr std::array<std::string_view, 4> caseStyleNames{"lower", "upper", "title", "sentence"};
constexpr std::array<std::string_view, 5> characterClassNames{"digits", "punctuation", "whitespace",
                                                              "symbols", "custom"};
constexpr std::array<std::string_view, 4> cropModeNames{"removeFirst", "removeLast", "keepFirst",
                                                        "keepLast"};
constexpr std::array<std::string_view, 3> occurrencesNames{"all", "first", "last"};
constexpr std::array<std::string_view, 2> positionNames{"prefix", "suffix"};

template <class T, std::size_t N>
std::vector<std::string_view> titlesOf(const std::array<std::string_view, N>&) {
    std::vector<std::string_view> titles;
    for (T value : allCases<T>()) titles.push_back(rawValue(value));
    if (titles.size() != N) std::abort();  // a case was added without its name here
    return titles;
}

struct OptionSet {
    std::span<const std::string_view> names;
    std::vector<std::string_view> titles;
};

const std::vector<OptionSet>& optionSets() {
    static const std::vector<OptionSet> sets{
        {caseStyleNames, titlesOf<CaseStyle>(caseStyleNames)},
        {characterClassNames, titlesOf<CharacterClass>(characterClassNames)},
        {cropModeNames, titlesOf<CropMode>(cropModeNames)},
        {occurrencesNames, titlesOf<Occurrences>(occurrencesNames)},
        {positionNames, titlesOf<Position>(positionNames)},
    };
    return sets;
}

bool sameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::string keyList(const Json& blank) {
    std::string keys;
    for (const auto& [key, value] : blank.items()) {
        (void)value;
        if (!keys.empty()) keys += ", ";
        keys += key;
    }
    return keys;
}

// The value of `text` typed like the blank rule's value under the same key.
Json typed(const std::string& path, const Json& blankValue, const std::string& text) {
    if (blankValue.is_boolean()) {
        if (text == "true") return true;
        if (text == "false") return false;
        fail(path + ": " + inQuotes(text) + " is not true or false.");
    }
    if (blankValue.is_number_integer()) {
        std::int64_t number = 0;
        const char* first = text.data();
        const char* last = text.data() + text.size();
        // One sign at most: "+5" is 5, "+-5" is no number at all.
        if (first != last && *first == '+') {
            ++first;
            if (first != last && *first == '-')
                fail(path + ": " + inQuotes(text) + " is not a whole number.");
        }
        const auto [end, error] = std::from_chars(first, last, number);
        if (error == std::errc::result_out_of_range) {
            fail(path + ": " + inQuotes(text) + " is out of range for a 64-bit integer.");
        }
        if (error != std::errc() || end != last || text.empty() || first == last) {
            fail(path + ": " + inQuotes(text) + " is not a whole number.");
        }
        return number;
    }
    const std::string title = blankValue.get<std::string>();
    if (const OptionNames* set = optionSetOf(title)) {
        for (std::size_t i = 0; i < set->titles.size(); ++i) {
            if (sameIgnoringAsciiCase(text, set->names[i]) ||
                sameIgnoringAsciiCase(text, set->titles[i])) {
                return std::string(set->titles[i]);
            }
        }
        std::string choices;
        for (std::size_t i = 0; i < set->titles.size(); ++i) {
            if (!choices.empty()) choices += ", ";
            choices += std::string(set->names[i]) + " (" + inQuotes(set->titles[i]) + ")";
        }
        fail(path + ": " + inQuotes(text) + " is not one of " + choices + ".");
    }
    return text;
}

}  // namespace

const OptionNames* optionSetOf(std::string_view title) {
    static const std::vector<OptionNames> views = [] {
        std::vector<OptionNames> v;
        for (const OptionSet& set : optionSets()) v.push_back({set.names, set.titles});
        return v;
    }();
    for (const OptionNames& set : views) {
        for (std::string_view candidate : set.titles) {
            if (candidate == title) return &set;
        }
    }
    return nullptr;
}

std::span<const Kind> kinds() {
    static const std::vector<Kind> all = [] {
        std::vector<Kind> v;
        for (RuleAction action : allCases<RuleAction>()) {
            const Json keyed = encodeRule(blank(action));
            v.push_back({keyed.begin().key(), keyed.begin().value(), example(action)});
        }
        return v;
    }();
    return all;
}

namespace {

// The words of a short step, and whether a backslash ended the text with
// nothing left to escape.
struct Split {
    std::vector<std::string> words;
    bool danglingEscape = false;
};

Split split(std::string_view text) {
    Split out;
    std::string word;
    bool inWord = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\n') {
            if (inWord) out.words.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '\'') {
            const auto end = text.find('\'', i + 1);
            if (end == std::string_view::npos) fail("Unfinished ' quote.");
            word.append(text.substr(i + 1, end - i - 1));
            i = end;
        } else if (c == '"') {
            for (++i;; ++i) {
                if (i >= text.size()) fail("Unfinished \" quote.");
                if (text[i] == '"') break;
                if (text[i] == '\\' && i + 1 < text.size() &&
                    std::string_view("\"\\$`").find(text[i + 1]) != std::string_view::npos) {
                    ++i;
                }
                word += text[i];
            }
        } else if (c == '\\') {
            if (i + 1 < text.size()) {
                word += text[++i];
            } else {
                out.danglingEscape = true;
            }
        } else {
            word += c;
        }
    }
    if (inWord) out.words.push_back(std::move(word));
    return out;
}

}  // namespace

std::vector<std::string> words(std::string_view text) {
    Split split = ShortSteps::split(text);
    if (split.danglingEscape) fail("A lone backslash ends the text; write \\\\ for a backslash.");
    return std::move(split.words);
}

Json keyedForm(std::string_view text) {
    const Split split = ShortSteps::split(text);
    const std::vector<std::string>& given = split.words;
    if (given.empty()) fail("Empty step; give a kind, as in: sequence padding=3.");
    const Kind* kind = nullptr;
    for (const Kind& candidate : kinds()) {
        if (candidate.name == given.front()) kind = &candidate;
    }
    if (!kind) {
        fail(inQuotes(given.front()) + " is not a kind of step; tavix-cli help steps lists them.");
    }
    if (split.danglingEscape) {
        // Dropping it would save a value other than the one typed.
        const std::string& last = given.back();
        const auto eq = last.find('=');
        const std::string where = given.size() == 1 || eq == std::string::npos
                                      ? kind->name
                                      : kind->name + "." + last.substr(0, eq);
        fail(where + ": a lone backslash ends the value; write \\\\ for a backslash.");
    }
    Json parameters = kind->blank;
    std::vector<std::string> seen;
    for (std::size_t i = 1; i < given.size(); ++i) {
        const std::string& word = given[i];
        const auto eq = word.find('=');
        std::string key;
        std::string value;
        if (eq == std::string::npos) {
            // Only a kind whose one parameter has no name takes a bare value.
            if (parameters.size() != 1 || !parameters.contains("_0")) {
                fail(kind->name + ": " + inQuotes(word) + " needs a key, as in key=value.");
            }
            key = "_0";
            value = word;
        } else {
            key = word.substr(0, eq);
            value = word.substr(eq + 1);
        }
        const std::string path = kind->name + "." + key;
        if (!parameters.contains(key)) {
            if (parameters.empty()) {
                fail(kind->name + ": " + inQuotes(key) + " is not one of its keys; it has none.");
            }
            fail(kind->name + ": " + inQuotes(key) + " is not one of its keys (" +
                 keyList(parameters) + ").");
        }
        for (const std::string& earlier : seen) {
            if (earlier == key) fail(path + ": given twice.");
        }
        seen.push_back(key);
        parameters[key] = typed(path, kind->blank.at(key), value);
    }
    Json keyed = Json::object();
    keyed[kind->name] = std::move(parameters);
    return keyed;
}

RenameRule decode(std::string_view argument) {
    const auto first = argument.find_first_not_of(" \t\n");
    if (first != std::string_view::npos && argument[first] == '{') {
        return decodeRule(argument);
    }
    return decodeRule(keyedForm(argument));
}

}  // namespace tavix::cli::ShortSteps
