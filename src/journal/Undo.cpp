#include "journal/Undo.hpp"

#include <algorithm>
#include <cerrno>
#include <istream>

#include "engine/Perform.hpp"
#include "journal/History.hpp"
#include "journal/JournalContents.hpp"
#include "journal/StateFolder.hpp"
#include "system/AppendOnlyFile.hpp"
#include "system/ChunkReads.hpp"
#include "system/FileSystem.hpp"
#include "system/RegularFile.hpp"

namespace tavix::journal {
namespace {

namespace fs = std::filesystem;
using Kind = RenameEngine::UndoOutcome::Kind;
using Fate = JournalContents::Fate;

std::string reasonText(const RenameEngine::UndoOutcome& outcome) {
    switch (outcome.kind) {
        case Kind::anotherFile:
            return "another file is there now";
        case Kind::missing:
            return "it is no longer there";
        default:
            break;
    }
    if (outcome.error == std::errc::file_exists) return "another file has its old name now";
    return outcome.error.message();
}

// The undo itself, on a journal read whole; refuses before moving anything.
UndoResult undoContents(const JournalContents& c, const std::string& name, bool newest,
                        const UndoProgress& progress = {}) {
    if (c.state == JournalState::undone) {
        throw JournalError(name + ": already undone; nothing was moved");
    }
    if (newest && c.version == 1) {
        throw JournalError(name +
                           ": a journal of the earliest form (its files can't be recognised) is "
                           "undone only when named; nothing was moved");
    }
    UndoResult result;
    result.damage = c.damage;
    std::vector<NotPutBack> reversed;
    bool anyFound = false;  // a file of the batch found where only the batch puts it
    // Later forms are trusted only through identities: a planned move whose
    // file couldn't be identified never moved anything of ours.
    std::vector<bool> take(c.planned.size());
    for (std::size_t i = 0; i < c.planned.size(); ++i) {
        take[i] = c.fates[i] != Fate::unreadable && (c.version == 1 || c.planned[i].identity);
    }
    // Every path is absolute here (checked as the journal was read).
    const std::size_t total = c.planned.size();
    const auto outcomes = RenameEngine::undoBatch(c.planned, take, progress);
    for (std::size_t i = total; i-- > 0;) {
        if (!take[i]) continue;
        const auto& outcome = outcomes[i];
        if (outcome.kind == Kind::putBack) {
            ++result.putBack;
            anyFound = true;
            continue;
        }
        if (outcome.kind == Kind::notMoved) continue;
        if (outcome.kind == Kind::failed) anyFound = true;
        // A move the batch recorded as failed never took the file away.
        if (c.fates[i] == Fate::failed) continue;
        reversed.push_back({c.planned[i].to, reasonText(outcome)});
    }
    const bool anyRecorded =
        std::find(c.fates.begin(), c.fates.end(), Fate::moved) != c.fates.end();
    if (!anyFound && (!c.intentComplete || (c.state == JournalState::pending && !anyRecorded))) {
        // The intent is durable before the first move: without it whole, or
        // with no move recorded after it, and with no file of the batch found
        // moved, nothing was renamed.
        throw JournalError(name + ": the batch stopped before its first move; nothing to put back");
    }
    if (progress) progress(total, total);
    if (!c.intentComplete && c.version == 3)
        result.damage.push_back("the list of planned moves is cut short");
    result.notPutBack.assign(reversed.rbegin(), reversed.rend());
    return result;
}

std::string undoneLine(const UndoResult& result) {
    return "{\"state\":\"undone\",\"putBack\":" + std::to_string(result.putBack) +
           ",\"notPutBack\":" + std::to_string(result.notPutBack.size()) + "}\n";
}

// Appends the undone state to the journal open as `file`, after a newline of
// its own when a crash cut the journal's last line short.
std::optional<std::string> markUndone(const fs::path& path, const FileSystem::Descriptor& file,
                                      const UndoResult& result) {
    std::error_code error;
    auto journal = FileSystem::AppendOnlyFile::reopen(path, file, error);
    std::string line = undoneLine(result);
    if (!error) {
        const auto size = FileSystem::sizeOf(file).value_or(0);
        char last = '\n';
        std::size_t got = 0;
        if (size > 0 && !FileSystem::readAt(file, size - 1, &last, 1, got) && got == 1 &&
            last != '\n') {
            line.insert(line.begin(), '\n');
        }
        error = journal.append(line);
    }
    if (!error) error = journal.sync(false);
    if (error.value() == ESTALE && error.category() == std::system_category())
        return "it was replaced while it was read";
    if (error) return error.message();
    return std::nullopt;
}

UndoResult undoFile(const fs::path& path, const std::string& name, bool newest,
                    const UndoProgress& progress = {}) {
    std::error_code error;
    const FileSystem::Descriptor file = FileSystem::openRegular(path, error);
    if (error) throw JournalError(name + ": " + error.message());
    if (const auto why = fileDistrust(file)) {
        throw JournalError(name + ": not trusted: " + *why + "; nothing was moved");
    }
    const ReadBytes read = [&](char* buffer, std::size_t size, std::size_t& got) {
        return FileSystem::readSome(file, buffer, size, got);
    };
    UndoResult result = undoContents(readJournal(read, name), name, newest, progress);
    result.notMarked = markUndone(path, file, result);
    return result;
}

}  // namespace

UndoResult undoJournal(const fs::path& journal, const std::string& name,
                       const UndoProgress& progress) {
    return undoFile(journal, name, false, progress);
}

UndoResult undoJournal(std::istream& in, const std::string& name) {
    const ReadBytes read = [&](char* buffer, std::size_t size, std::size_t& got) {
        in.read(buffer, static_cast<std::streamsize>(size));
        got = static_cast<std::size_t>(in.gcount());
        if (in.bad()) return std::make_error_code(std::errc::io_error);
        return std::error_code();
    };
    UndoResult result = undoContents(readJournal(read, name), name, false);
    result.notMarked = "a journal read from standard input can't be marked undone";
    return result;
}

UndoResult undoNewest(const fs::path& folder, std::vector<Skipped>& skipped) {
    const auto files = journalFiles(folder, skipped);
    if (files.empty())
        throw JournalError("no journal to undo in \u201C" + folder.string() + "\u201D");
    const std::string name = files.front().string();
    // An undone journal is known by its last line: it is refused without reading the rest.
    if (historyEntry(files.front()).state == JournalState::undone) {
        throw JournalError(name + ": already undone; nothing was moved");
    }
    return undoFile(files.front(), name, true);
}

}  // namespace tavix::journal
