#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "journal/JournalError.hpp"
#include "text/Location.hpp"

namespace tavix::journal {

// A file undo left where it is, and why ("another file is there now").
struct NotPutBack {
    Location path;
    std::string reason;
    friend bool operator==(const NotPutBack&, const NotPutBack&) = default;
};

struct UndoResult {
    std::size_t putBack = 0;
    std::vector<NotPutBack> notPutBack;  // in move order
    // Lines of a damaged journal that couldn't be read ("line 7: not valid
    // JSON (…)"): their files, if any moved, were not put back.
    std::vector<std::string> damage;
    // Why the journal couldn't be marked undone, when it couldn't.
    std::optional<std::string> notMarked;
};

// Puts the files of a journal back, last move first, each only when what stands
// at its new name (or temporary name) is the file recorded (device, inode and,
// when recorded, birth time); anything else is left alone and reported. A file
// of a cycle whose old name is still held waits at its recorded temporary name
// until the rest is back (RenameEngine::undoBatch). Then appends the undone
// state to the journal. Journals of the earliest form carry
// no identities and are undone unchecked.
//
// Throws JournalError, with nothing moved, for a journal that is already undone,
// not trusted (not ours, or writable by others), not a regular file, refused
// as damaged (paths that leave their folder…), or whose batch stopped before
// its first move. `name` names the journal in messages.
//
// `progress`, when given, is told (done, total) before each planned move of the
// journal is looked at, last move first, and once all have been: total is the
// number of planned moves, done how many were looked at.
using UndoProgress = std::function<void(std::size_t done, std::size_t total)>;
UndoResult undoJournal(const std::filesystem::path& journal, const std::string& name,
                       const UndoProgress& progress = {});
// The same for a journal read from `in`; it can't be marked undone (notMarked
// says so) and nothing is written anywhere.
UndoResult undoJournal(std::istream& in, const std::string& name);
// The newest journal of a journal folder, by creation; never an older one: a
// newest journal that is already undone, stopped before its first move, or
// can't be read is refused as above, and so is one of the earliest form (its
// files can't be recognised). Journals not trusted are named in `skipped`
// (path and reason) and left alone.
struct Skipped {
    std::filesystem::path path;
    std::string reason;
};
UndoResult undoNewest(const std::filesystem::path& folder, std::vector<Skipped>& skipped);

}  // namespace tavix::journal
