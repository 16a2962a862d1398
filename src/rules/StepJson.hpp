#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "rules/RuleCoding.hpp"

namespace tavix {

// A number in a step that no 64-bit integer can hold, caught while the text is
// parsed: an integer below the range (rounded silently as a double) or a number
// too large even for a double (1e400, which the parser can't represent at all).
// The message names the parameter: ‘crop.count: 1e400 is out of range for a
// 64-bit integer.’
class NumberRangeError : public RuleDecodingError {
public:
    NumberRangeError(std::optional<std::size_t> element, const std::string& message)
        : RuleDecodingError(message), element(element) {}
    // For a JSON array of steps, the 0-based position of the step holding it.
    std::optional<std::size_t> element;
};

// Parses the JSON text of one step or of an array of steps. Throws
// NumberRangeError as above, or RuleDecodingError ("Not valid JSON: …") for
// text that isn't JSON.
nlohmann::ordered_json parseStepJson(std::string_view text);

}  // namespace tavix
