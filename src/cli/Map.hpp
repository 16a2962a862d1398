#pragma once

#include <string_view>

#include "cli/Arguments.hpp"
#include "cli/Cli.hpp"

namespace tavix::cli {

// The pairs of a map, `PATH<TAB>NEW NAME` a line (with `nulSeparated`, NUL ends
// each field instead), put into `args`: the paths, made absolute as the file
// list makes them, become the file arguments in the map's order, and the new
// names go into `newNames` in the same order. Empty lines are skipped; a line
// without a tab, or a path without a new name, is a usage error.
void readMap(std::string_view text, Arguments& args, const Io& io);

}  // namespace tavix::cli
