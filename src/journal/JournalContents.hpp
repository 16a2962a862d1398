#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/Perform.hpp"
#include "journal/JournalError.hpp"
#include "journal/LineReader.hpp"

namespace tavix::journal {

// What a journal says, read in one pass.
struct JournalContents {
    // What became of a planned move, as far as the journal says.
    enum class Fate : std::uint8_t { unknown, moved, failed, unreadable };

    int version = 3;  // 1: moves only, 2: one JSON document, 3: JSON Lines
    std::string created;
    std::string by;
    std::vector<PlannedMove> planned;  // in move order
    std::vector<Fate> fates;           // one per planned move
    bool intentComplete = false;       // every planned move was written before the first move
    JournalState state = JournalState::pending;
    std::optional<std::string> message;  // the batch's, from its end
    // Lines that couldn't be read ("line 7: not valid JSON (…)"), in order; a
    // last line cut short by a crash isn't one of them.
    std::vector<std::string> damage;
};

// Reads a journal of any version from `read`; `name` names it in errors.
// Throws JournalError when the journal is refused whole: not a journal, an
// unknown version, or a planned move whose paths aren't absolute, hold "." or
// ".." components, or leave their folder (a journal that could move files
// anywhere is not undone at all).
JournalContents readJournal(const ReadBytes& read, const std::string& name);

// Checks a planned move's paths as above; the reason, or nothing when sound.
std::optional<std::string> pathFault(const PlannedMove& move);

// The earlier forms (versions 1 and 2, one JSON document), read from `read`
// after the bytes `start` already taken from it.
JournalContents readEarlierForm(const ReadBytes& read, std::string start, const std::string& name);

}  // namespace tavix::journal
