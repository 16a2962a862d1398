#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "journal/JournalError.hpp"
#include "journal/Undo.hpp"

namespace tavix::journal {

// One journal of a journal folder, as the history lists it.
struct HistoryEntry {
    std::filesystem::path journal;
    std::string created;  // "2026-12-09T14:03:11Z"
    std::string by;       // "tavix-cli 0.2.0"
    JournalState state = JournalState::pending;
    std::optional<std::size_t> planned;
    std::optional<std::size_t> moved;   // known once the batch ended
    std::optional<std::size_t> failed;  // known once the batch ended
    std::optional<std::string> message;
    std::string folder;  // of the first planned move; empty when none
};

// The trusted journals of `folder`, newest first (by the time in their names),
// without opening them. Throws JournalError when the folder itself isn't
// trusted; a missing folder has none. Others are named in `skipped`.
std::vector<std::filesystem::path> journalFiles(const std::filesystem::path& folder,
                                                std::vector<Skipped>& skipped);

// A journal's entry from its first lines and its last state lines only, so its
// cost doesn't grow with the batch. Throws JournalError when it can't be read.
HistoryEntry historyEntry(const std::filesystem::path& journal);

// Every trusted journal's entry, newest first; unreadable ones in `skipped`.
std::vector<HistoryEntry> history(const std::filesystem::path& folder,
                                  std::vector<Skipped>& skipped);

// Removes finished (complete or undone) journals beyond the newest `keep`
// and, with `olderThan`, only those created longer ago than that. A pending
// journal is never removed. Returns how many were removed.
std::size_t prune(const std::filesystem::path& folder, std::size_t keep,
                  std::optional<std::chrono::hours> olderThan, std::vector<Skipped>& skipped);

// What a rename prunes after it: finished journals older than 90 days beyond
// the newest 100.
constexpr std::size_t keptJournals = 100;
constexpr std::chrono::hours keptAge{24 * 90};

}  // namespace tavix::journal
