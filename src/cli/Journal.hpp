#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "engine/Perform.hpp"
#include "system/DurableFile.hpp"

namespace tavix::cli {

// A journal that can't be created, read or trusted; the text is the one-line reason.
class JournalError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class JournalState { pending, complete, undone };
// "pending", "complete", "undone".
std::string_view rawValue(JournalState state);

// A journal's form. The form of this version is one JSON document:
//   {"tavixJournal":2,"created":…,"state":…,"planned":[{"from","to","device",
//    "inode","temporary"}…],"moves":[{"from","to"}…],"failures":[{"path",
//    "message"}…],"message":…}
// While a batch runs the document says "pending" and each move (or failure) made
// is appended after it as a line of its own; the finished document replaces it.
// Paths that aren't UTF-8 are written as {"base64":"…"} of their bytes. The
// earlier form has "moves" (from and to) only; its moves come back as planned
// moves without identities.
//
// A journal read back. Opening it reads the whole file once, checking every
// record, and keeps only its form, state, counts and where its lists lie; the
// records are then read again one at a time when asked for, so memory stays
// bounded by one record (and a few offsets) whatever the journal's size.
class JournalReader {
public:
    // Reads the journal in `file`, which the reader owns from then on (closing it
    // also when it throws); `name` names it in errors. Throws JournalError, or
    // InputError when the file can't be read.
    JournalReader(int file, std::string name);
    // Opens the journal at `path`; throws JournalError, or InputError naming
    // `name` when the file can't be opened.
    static std::unique_ptr<JournalReader> open(const std::filesystem::path& path,
                                               const std::string& name);
    ~JournalReader();
    JournalReader(const JournalReader&) = delete;
    JournalReader& operator=(const JournalReader&) = delete;

    bool earlierForm() const { return earlierForm_; }
    const std::string& created() const { return created_; }  // empty in the earlier form
    JournalState state() const { return state_; }
    const std::optional<std::string>& message() const { return message_; }

    // The planned moves (in the earlier form, its moves), the moves made (for a
    // pending journal, those recorded so far) and the failures.
    std::size_t plannedCount() const;
    std::size_t movedCount() const;
    std::size_t failedCount() const;
    // The folder of the first planned move, empty when there is none.
    std::filesystem::path firstFolder() const { return firstFolder_; }

    // Planned moves are read most cheaply in chunks of this many, from a multiple of it.
    static constexpr std::size_t chunk = 1024;
    // Planned moves [first, first + count), in order.
    std::vector<PlannedMove> planned(std::size_t first, std::size_t count) const;
    // Each planned move, move made and failure, in order (for a pending
    // journal, the records appended after the document follow its own).
    void forEachPlanned(const std::function<void(const PlannedMove&)>& visit) const;
    void forEachMove(const std::function<void(const Move&)>& visit) const;
    void forEachFailure(
        const std::function<void(const RenameEngine::Applied::Failure&)>& visit) const;

    // Writes the journal marked undone through `write`, as one document in its own form.
    void writeUndone(const std::function<void(std::string_view)>& write) const;

    struct List;
    struct Appended;

private:
    void read();

    int file_ = -1;
    std::string name_;
    bool earlierForm_ = false;
    std::string created_;
    JournalState state_ = JournalState::complete;
    std::optional<std::string> message_;
    std::filesystem::path firstFolder_;
    std::unique_ptr<List> planned_;
    std::unique_ptr<List> moves_;
    std::unique_ptr<List> failures_;
    std::unique_ptr<Appended> appended_;
    std::uint64_t documentEnd_ = 0;
};

// The journal of a batch while it runs.
class JournalWriter {
public:
    // Creates `path` exclusively and makes the intent durable: every move of
    // `batch` with its file's identity (`identities`, in the batch's order) and
    // temporary name, then fsync of the file and its folder. Throws JournalError
    // (naming the path) before anything moves.
    JournalWriter(const std::filesystem::path& path, const RenameEngine::Batch& batch,
                  std::vector<std::optional<FileSystem::FileId>> identities);
    // A new journal in `folder`, named after the UTC time and the process id
    // ("20261207T140311Z-4242.json", "…-4242-2.json" if that is taken).
    static std::unique_ptr<JournalWriter> inFolder(
        const std::filesystem::path& folder, const RenameEngine::Batch& batch,
        std::vector<std::optional<FileSystem::FileId>> identities);

    const std::filesystem::path& path() const { return file_->path(); }

    // Writes the records not written yet.
    ~JournalWriter();
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    // Records what became of move `move`, as one line appended to the journal,
    // in writes of a few hundred lines. Not synced: undo recognises moved files
    // by identity, so records lost in a crash lose nothing. A record that can't
    // be written is given up silently; the finished journal is written whole at
    // the end.
    void record(std::size_t move, const RenameEngine::Applied::Failure* failure);

    // Replaces the journal by its finished version (the moves recorded made,
    // then `failures` and `message`), written piece by piece to a new file that
    // atomically takes the journal's place. On failure the pending journal stays,
    // still listing every planned move.
    std::error_code complete(const std::vector<RenameEngine::Applied::Failure>& failures,
                             const std::string& message);

private:
    // Move `move` as the intent lists it.
    void appendPlannedMove(std::string& out, std::size_t move);
    // Appends the records held to the journal.
    void writeRecords();

    // Bytes of records held before they are written.
    static constexpr std::size_t recordsHeld = 64 * 1024;

    std::unique_ptr<FileSystem::DurableFile> file_;
    const RenameEngine::Batch& batch_;
    std::vector<std::optional<FileSystem::FileId>> identities_;
    std::vector<bool> made_;
    std::string created_;
    std::string records_;  // lines not written yet
    std::string to_;
};

// Marks the journal at `path` undone, replacing it atomically with the
// version `journal` writes.
std::error_code markUndone(const std::filesystem::path& path, const JournalReader& journal);

// tavix's state folder: $XDG_STATE_HOME/tavix, else ~/.local/state/tavix;
// empty when neither can be found.
std::filesystem::path defaultStateFolder();
// Where rename keeps its journals by default.
std::filesystem::path journalFolder(const std::filesystem::path& stateFolder);

struct HistoryEntry {
    std::filesystem::path path;
    std::string created;
    JournalState state = JournalState::complete;
    std::size_t planned = 0;
    std::size_t moved = 0;
    std::size_t failed = 0;
    std::optional<std::string> message;
    std::filesystem::path folder;  // of the first planned move; empty when none
};
// The journals of `folder`, newest first. One that can't be read is passed to
// `skipped` with its reason and left out.
std::vector<HistoryEntry> history(
    const std::filesystem::path& folder,
    const std::function<void(const std::filesystem::path&, const std::string&)>& skipped);

}  // namespace tavix::cli
