#pragma once

#include <string>
#include <vector>

#include "cli/Arguments.hpp"
#include "cli/Cli.hpp"
#include "rules/RenameRule.hpp"

// `tavix-cli presets`: the model's preset store, in a terminal's words.
namespace tavix::cli::Presets {

// The steps of a preset. Throws UsageError for a name no preset can have, and
// InputError naming the preset (and the step that doesn't decode) otherwise.
std::vector<RenameRule> load(const std::string& name);

// `presets list | show NAME | save NAME STEPS [--force] | delete NAME`.
int command(const Arguments& args, Io& io);

}  // namespace tavix::cli::Presets
