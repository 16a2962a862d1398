#pragma once

#include <string_view>

#include "cli/Arguments.hpp"
#include "cli/Cli.hpp"

namespace tavix::cli {

// The pairs of a map, `PATH<TAB>NEW NAME` a line (with `nulSeparated`, NUL ends
// each field instead), put into `args`: the paths become the file arguments, in
// the map's order, and each path's first new name goes into `newNames`, keyed
// by the path made absolute as the file list makes it. Empty lines are skipped;
// a line without a tab, or a path without a new name, is a usage error.
void readMap(std::string_view text, Arguments& args, const Io& io);

}  // namespace tavix::cli
