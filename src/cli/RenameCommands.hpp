#pragma once

#include "cli/Arguments.hpp"
#include "cli/Cli.hpp"

namespace tavix::cli {

// Plans, then performs when at least one name changes and none has a problem;
// otherwise prints the plan and renames nothing. Exit 0 when every move
// succeeded, 1 for problems, nothing to rename or a failed move.
int renameFiles(const Arguments& args, Io& io);

// Puts the files of a journal (or with --last, of the newest journal not yet
// undone) back, last move first, each only if it is still the file recorded;
// then marks the journal undone. A journal already undone is refused.
int undoJournal(const Arguments& args, Io& io);

// The journals of the state folder, newest first.
int showHistory(const Arguments& args, Io& io);

}  // namespace tavix::cli
