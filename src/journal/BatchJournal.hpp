#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "engine/Perform.hpp"
#include "journal/JournalError.hpp"
#include "system/AppendOnlyFile.hpp"

namespace tavix::journal {

// The journal of a batch while it runs, in JSON Lines, only ever appended to:
//   {"tavixJournal":3,"created":…,"by":…,"planned":N}
//   {"from":…,"to":…,"device":…,"inode":…,"birth":…,"temporary":…}   (N lines)
//   {"intent":"complete"}
//   {"moved":K} / {"failed":K,"message":…}      (as the moves happen, 1-based)
//   {"state":"complete","message":…,"moved":M,"failed":F}
// The header, the planned moves and the intent line are durable (file and
// folder synced) before the first move; the moved and failed lines are buffered
// and not synced (undo goes by identity); the state line is synced.
class BatchJournal {
public:
    // Creates `file` exclusively and makes the intent durable. `by` names the
    // program ("tavix-cli 0.2.0"). `batch` must outlive the journal. Throws JournalError, naming
    // the file and ending "nothing was renamed", when the journal can't be made or `file` is one of
    // the batch's new names; a journal half written is removed.
    static std::unique_ptr<BatchJournal> begin(const std::filesystem::path& file,
                                               const RenameEngine::Batch& batch,
                                               const std::string& by);
    // The same in a journal folder (see StateFolder.hpp), made if missing and
    // refused if not safe, under a name from the UTC time and the process id
    // ("20261209T140311Z-4242.jsonl", "…-4242-2.jsonl" when that is taken).
    static std::unique_ptr<BatchJournal> beginInFolder(const std::filesystem::path& folder,
                                                       const RenameEngine::Batch& batch,
                                                       const std::string& by);

    const std::filesystem::path& path() const { return file_.path(); }

    // Records what became of move `move` (its index in the batch): made, or
    // failed with `failure`. Buffered; a line that can't be written is given up
    // (undo recognises moved files by identity).
    void record(std::size_t move, const RenameEngine::Applied::Failure* failure);

    struct Finished {
        std::error_code error;  // the state line couldn't be written or synced
        bool replaced = false;  // the journal's path no longer names this journal
    };
    // Appends the state line with the batch's message and counts, and syncs.
    // When the journal was replaced or removed meanwhile, nothing is written and
    // `replaced` says so: the batch has no journal left.
    Finished finish(const std::string& message, std::size_t moved, std::size_t failed);

    // Writes out buffered lines.
    ~BatchJournal();
    BatchJournal(const BatchJournal&) = delete;
    BatchJournal& operator=(const BatchJournal&) = delete;

private:
    BatchJournal(FileSystem::AppendOnlyFile file, const RenameEngine::Batch& batch)
        : file_(std::move(file)), batch_(batch) {}
    std::error_code writeIntent(const std::string& by);
    void flush();

    FileSystem::AppendOnlyFile file_;
    const RenameEngine::Batch& batch_;
    std::string lines_;  // buffered lines not written yet
};

}  // namespace tavix::journal
