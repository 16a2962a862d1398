#pragma once

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

#include "rules/RenameRule.hpp"

namespace tavix {

// Why a keyed rule could not be decoded, as one line for the user.
class RuleDecodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The keyed form: one key, the kind's name, over an object of every parameter
// in declared order ({"crop":{"mode":"Remove first","count":1}}).
nlohmann::ordered_json encodeRule(const RenameRule& rule);

// Reads the keyed form. Keys that are not kind names are ignored; exactly one
// kind name must be present, and every parameter of that kind is required with
// its exact type. Throws RuleDecodingError; never yields a partial rule.
RenameRule decodeRule(const nlohmann::ordered_json& json);

// Parses JSON text, then decodes it. Throws RuleDecodingError for bad JSON too.
RenameRule decodeRule(std::string_view text);

}  // namespace tavix
