#pragma once

#include <filesystem>
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

// A journal as read back. The form of this version is one JSON document:
//   {"tavixJournal":2,"created":…,"state":…,"planned":[{"from","to","device",
//    "inode","temporary"}…],"moves":[{"from","to"}…],"failures":[{"path",
//    "message"}…],"message":…}
// While a batch runs the document says "pending" and each move (or failure) made
// is appended after it as a line of its own; the finished document replaces it.
// Paths that aren't UTF-8 are written as {"base64":"…"} of their bytes. The
// earlier form has "moves" (from and to) only; its moves come back as planned
// moves without identities.
struct Journal {
    bool earlierForm = false;
    std::string created;  // "2026-12-07T14:03:11Z"; empty in the earlier form
    JournalState state = JournalState::complete;
    std::vector<PlannedMove> planned;
    std::vector<Move> moves;  // made; for a pending journal, those recorded so far
    std::vector<RenameEngine::Applied::Failure> failures;
    std::optional<std::string> message;
};

// Reads a journal's text; `name` names it in errors. Throws JournalError.
Journal readJournal(std::string_view text, const std::string& name);

// The text of `journal` marked undone, as one document in its own form.
std::string undoneText(const Journal& journal);

// The journal of a batch while it runs.
class JournalWriter {
public:
    // Creates `path` exclusively and makes the intent durable: every planned
    // move with its source's identity and temporary name, then fsync of the file
    // and its folder. Throws JournalError (naming the path) before anything moves.
    JournalWriter(const std::filesystem::path& path, const std::vector<PlannedMove>& moves);
    // A new journal in `folder`, named after the UTC time and the process id
    // ("20261207T140311Z-4242.json", "…-4242-2.json" if that is taken).
    static std::unique_ptr<JournalWriter> inFolder(const std::filesystem::path& folder,
                                                   const std::vector<PlannedMove>& moves);

    const std::filesystem::path& path() const { return file_->path(); }

    // Records what became of move `index` as soon as it is known. Not synced:
    // undo recognises moved files by identity, so a record lost in a crash
    // loses nothing. A record that can't be written is given up silently; the
    // finished journal is written whole at the end.
    void record(std::size_t index, const RenameEngine::Applied::Failure* failure);

    // Replaces the journal by its finished version, atomically. On failure the
    // pending journal stays, still listing every planned move.
    std::error_code complete(const RenameEngine::Applied& applied, const std::string& message);

private:
    std::unique_ptr<FileSystem::DurableFile> file_;
    const std::vector<PlannedMove>& moves_;
    std::string created_;
};

// Marks the journal at `path` undone, replacing it atomically.
std::error_code markUndone(const std::filesystem::path& path, const Journal& journal);

// tavix's state folder: $XDG_STATE_HOME/tavix, else ~/.local/state/tavix;
// empty when neither can be found.
std::filesystem::path defaultStateFolder();
// Where rename keeps its journals by default.
std::filesystem::path journalFolder(const std::filesystem::path& stateFolder);

struct HistoryEntry {
    std::filesystem::path path;
    Journal journal;
};
// The journals of `folder`, newest first. One that can't be read is passed to
// `skipped` with its reason and left out.
std::vector<HistoryEntry> history(
    const std::filesystem::path& folder,
    const std::function<void(const std::filesystem::path&, const std::string&)>& skipped);

}  // namespace tavix::cli
