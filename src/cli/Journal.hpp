#pragma once

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/Perform.hpp"

namespace tavix::cli {

// A journal that can't be read or written; the text is the one-line reason.
class JournalError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A journal file being written: the temporary file is made first, beside the
// destination, so that a journal that can't be written stops the command before
// anything is renamed. commit() fills it, flushes it to disk and renames it into
// place in one step; without commit() the temporary file is removed.
class PendingJournal {
public:
    explicit PendingJournal(const std::filesystem::path& destination);
    ~PendingJournal();
    PendingJournal(const PendingJournal&) = delete;
    PendingJournal& operator=(const PendingJournal&) = delete;

    void commit(const std::string& contents);

private:
    std::filesystem::path destination_;
    std::filesystem::path temporary_;
    int fd_ = -1;
};

// The moves of a journal written by rename (its "moves" array).
std::vector<Move> readJournalMoves(const std::string& text, const std::string& name);

}  // namespace tavix::cli
