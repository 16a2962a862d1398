#pragma once

#include "cli/Arguments.hpp"
#include "cli/Cli.hpp"

namespace tavix::cli {

// Opens the files' names in the user's editor ($VISUAL, else $EDITOR, else vi),
// reads them back, plans them as rename does, prints the plan and, once
// confirmed (or with --yes), renames and journals the batch as rename does.
// Text that can't be read back is kept in its file, whose path is printed.
// Exit 0 when every move succeeded; 1 when nothing was renamed for want of
// changes, a problem, the editor's failure or an answer, or a move failed; 2
// for unreadable edits or files.
int editFiles(Arguments args, Io& io);

}  // namespace tavix::cli
