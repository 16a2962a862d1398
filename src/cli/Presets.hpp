#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "cli/Arguments.hpp"
#include "cli/Cli.hpp"
#include "rules/RenameRule.hpp"

// Named step stacks, kept as keyed JSON arrays (the --rules form) in
// $XDG_CONFIG_HOME/tavix/presets/NAME.json (~/.config/tavix/presets without it).
namespace tavix::cli::Presets {

// The folder presets live in; throws InputError when there is no home to put it in.
std::filesystem::path folder();

// Throws UsageError unless `name` is 1 to 100 characters, has no "/" and does
// not start with ".".
void checkName(const std::string& name);

// The steps of a preset. Throws InputError naming the preset (and the step
// that doesn't decode).
std::vector<RenameRule> load(const std::string& name);

// Saves `rules` under `name`, written whole beside it first and then moved into
// place: an existing preset is replaced only when `force` is set, and never
// half-written. Throws InputError.
void save(const std::string& name, const std::vector<RenameRule>& rules, bool force);

// `presets list | show NAME | save NAME STEPS [--force] | delete NAME`.
int command(const Arguments& args, Io& io);

}  // namespace tavix::cli::Presets
