#pragma once

#include <nlohmann/json.hpp>
#include <span>
#include <string>
#include <string_view>

#include "rules/RenameRule.hpp"

// The short form of a step, for people at a terminal: the kind's keyed name,
// then key=value pairs (`sequence padding=3`, `findReplace find=IMG_ replace="Lisbon "`,
// `changeCase lower`). It stands for the keyed JSON form of the kind's blank rule
// with the given keys replaced, and is decoded as that.
namespace tavix::cli::ShortSteps {

// One option set as the short form reads it: each case's name and its title,
// in declared order.
struct OptionNames {
    std::span<const std::string_view> names;
    std::span<const std::string_view> titles;
};

// The option set whose titles include `title` (a blank rule's value), if any.
const OptionNames* optionSetOf(std::string_view title);

// The kind's keyed name of each catalogue action's blank rule, in picking order,
// with that blank rule's keyed form and an example of the kind in the short form.
struct Kind {
    std::string name;
    nlohmann::ordered_json blank;  // the parameters only
    std::string_view example;
};
std::span<const Kind> kinds();

// Splits `text` into words as a POSIX shell would: spaces separate words,
// '…' keeps everything, "…" keeps everything but \" \\ \$ \`, and a backslash
// outside quotes keeps the next character. Throws RuleDecodingError for an
// unfinished quote or a backslash with nothing after it.
std::vector<std::string> words(std::string_view text);

// The keyed JSON form of a short step. Throws RuleDecodingError naming the key
// for an unknown kind or key, a repeated key, or a value that doesn't parse
// (a second sign, a backslash that ends the text).
nlohmann::ordered_json keyedForm(std::string_view text);

// A --step argument: the keyed JSON form when it starts with "{", else the
// short form. Throws RuleDecodingError.
RenameRule decode(std::string_view argument);

}  // namespace tavix::cli::ShortSteps
