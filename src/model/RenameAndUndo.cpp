#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "journal/BatchJournal.hpp"
#include "journal/History.hpp"
#include "journal/JournalContents.hpp"
#include "journal/StateFolder.hpp"
#include "model/StatusTexts.hpp"
#include "model/TavixModel.hpp"
#include "system/ChunkReads.hpp"
#include "system/RegularFile.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;
using Kind = RenameEngine::UndoOutcome::Kind;

// `files` with, for each move in order, the first listing of its `from` replaced
// by its `to`; everything else keeps its place.
std::vector<Location> following(std::vector<Location> files, const std::vector<Move>& moves) {
    // Only the paths the moves name are indexed, each with the ascending offsets
    // that hold it now, so a move finds its first listing without scanning the list.
    std::unordered_map<std::string_view, std::vector<std::size_t>> holders;
    holders.reserve(2 * moves.size());
    for (const Move& move : moves) {
        holders.try_emplace(move.from.native());
        holders.try_emplace(move.to.native());
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        const auto found = holders.find(files[i].native());
        if (found != holders.end()) found->second.push_back(i);
    }
    for (const Move& move : moves) {
        std::vector<std::size_t>& was = holders.at(move.from.native());
        if (was.empty()) continue;
        const std::size_t offset = was.front();
        was.erase(was.begin());
        files[offset] = move.to;
        std::vector<std::size_t>& now = holders.at(move.to.native());
        now.insert(std::ranges::lower_bound(now, offset), offset);
    }
    return files;
}

// The program as its journals name it.
std::string author() {
    return std::string("tavix ") + TAVIX_VERSION_TEXT;
}

// A message that goes on with another sentence.
std::string sentence(std::string message, std::string_view more) {
    if (!message.ends_with('.')) message += '.';
    message += ' ';
    message += more;
    return message;
}

// The files undo did put back, as moves from their new names to their old:
// every move of `moves` except those whose file was reported as left where it is.
std::vector<Move> movedBack(const std::vector<Move>& moves,
                            const std::vector<journal::NotPutBack>& left) {
    std::unordered_set<std::string_view> stayed;
    for (const journal::NotPutBack& file : left) stayed.insert(file.path.native());
    std::vector<Move> back;
    for (const Move& move : moves) {
        if (!stayed.contains(move.to.native())) back.push_back({move.to, move.from});
    }
    return back;
}

// Why undo left a file where it is, in the words the terminal uses.
std::string reasonText(const RenameEngine::UndoOutcome& outcome) {
    if (outcome.kind == Kind::anotherFile) return "another file is there now";
    if (outcome.kind == Kind::missing) return "it is no longer there";
    if (outcome.error == std::errc::file_exists) return "another file has its old name now";
    return outcome.error.message();
}

// The moves of a journal that may have moved a file of the listed ones, read
// before it is undone: those the batch didn't record as failed, whose line
// could be read and, past the earliest form, whose file was identified.
std::vector<Move> journalMoves(const fs::path& journal) {
    std::error_code error;
    const FileSystem::Descriptor file = FileSystem::openRegular(journal, error);
    if (error) return {};
    const journal::ReadBytes read = [&](char* buffer, std::size_t size, std::size_t& got) {
        return FileSystem::readSome(file, buffer, size, got);
    };
    using Fate = journal::JournalContents::Fate;
    std::vector<Move> moves;
    try {
        const journal::JournalContents contents = journal::readJournal(read, journal.string());
        for (std::size_t i = 0; i < contents.planned.size(); ++i) {
            const PlannedMove& move = contents.planned[i];
            if (contents.fates[i] == Fate::failed || contents.fates[i] == Fate::unreadable) continue;
            if (contents.version != 1 && !move.identity) continue;
            moves.push_back({move.from, move.to});
        }
    } catch (const journal::JournalError&) {
        // Undo refuses it too, moving nothing.
    }
    return moves;
}

}  // namespace

fs::path TavixModel::journalFolder() const {
    return stateFolder_.empty() ? fs::path() : journal::journalFolder(stateFolder_);
}

void TavixModel::setStateFolder(fs::path folder) {
    stateFolder_ = std::move(folder);
}

void TavixModel::rename() {
    const RenameEngine::Batch batch(plan_);
    const ProgressRun progress(*this, batch.size());
    // The batch's intent is durable before its first move, so that it can be
    // undone after a crash at any point, from here or from the terminal. A
    // journal that can't be made doesn't stop the batch: undo then works from
    // this window's memory alone, and the message says so.
    const fs::path folder = journalFolder();
    std::unique_ptr<journal::BatchJournal> journal;
    if (batch.size() > 0 && !folder.empty()) {
        try {
            journal = journal::BatchJournal::beginInFolder(folder, batch, author());
        } catch (const journal::JournalError&) {
        }
    }
    std::vector<std::uint32_t> made;
    std::vector<RenameEngine::Applied::Failure> failures;
    batch.perform([&](std::size_t move, const RenameEngine::Applied::Failure* failure) {
        if (journal) journal->record(move, failure);
        progress.advance(move + 1);
        if (failure) {
            failures.push_back(*failure);
        } else {
            made.push_back(static_cast<std::uint32_t>(move));
        }
    });
    std::string message = StatusTexts::renamed(
        made.size(), failures.size(), failures.empty() ? "" : failures.front().message);

    fs::path journaled;
    if (journal) {
        const auto finished = journal->finish(message, made.size(), failures.size());
        // A state line that couldn't be written leaves the journal pending,
        // which undo takes as well; a journal replaced meanwhile is none.
        if (!finished.replaced) journaled = journal->path();
        journal.reset();
        std::vector<journal::Skipped> ignored;
        try {
            journal::prune(folder, journal::keptJournals, journal::keptAge, ignored);
        } catch (const journal::JournalError&) {
        }
    }
    if (journaled.empty() && !made.empty()) message = sentence(message, "No journal was kept.");

    std::vector<Move> moves;
    std::vector<PlannedMove> unjournaled;
    moves.reserve(made.size());
    for (const std::uint32_t move : made) {
        PlannedMove planned = batch.planned(move);
        moves.push_back({planned.from, planned.to});
        if (!journaled.empty()) continue;
        // Without a journal, undo still moves back only these files: their
        // identities are taken at their new names as soon as the batch ends.
        planned.identity = FileSystem::identity(planned.to);
        unjournaled.push_back(std::move(planned));
    }
    lastJournal_ = std::move(journaled);
    unjournaled_ = std::move(unjournaled);
    assignLastMoves(std::move(moves));
    assignFiles(following(files_, lastMoves_));
    if (!notPutBack_.empty()) assign(notPutBack_, {}, Field::notPutBack);
    setMessage(std::move(message));
    if (clearAfterRenaming_ && failures.empty()) {
        assignFiles({});
        assignLastMoves({});
    }
}

journal::UndoProgress TavixModel::countInto(std::optional<ProgressRun>& run) {
    return [this, &run](std::size_t done, std::size_t total) {
        if (!run) run.emplace(*this, total);
        if (done > 0) run->advance(done);
    };
}

void TavixModel::undo() {
    // Made before the work starts, by the journal's first report or right here.
    std::optional<ProgressRun> progress;
    Undone undone;
    if (lastMoves_.empty()) {
        progress.emplace(*this, 0);
        undone.message = StatusTexts::putBack(0);
    } else if (!lastJournal_.empty()) {
        undone = undoJournal(lastJournal_, lastMoves_, countInto(progress));
    } else {
        progress.emplace(*this, unjournaled_.size());
        // Last move first, as the journal's undo goes; a file whose identity
        // couldn't be taken after the batch was gone already, and isn't looked for.
        std::size_t putBack = 0;
        for (std::size_t i = unjournaled_.size(); i-- > 0;) {
            const PlannedMove& move = unjournaled_[i];
            const RenameEngine::UndoOutcome outcome =
                move.identity ? RenameEngine::undoChecked(move)
                              : RenameEngine::UndoOutcome{Kind::missing, {}};
            if (outcome.kind == Kind::putBack) {
                ++putBack;
                undone.back.push_back({move.to, move.from});
            } else if (outcome.kind != Kind::notMoved) {
                undone.notPutBack.push_back({move.to, reasonText(outcome)});
            }
            progress->advance(unjournaled_.size() - i);
        }
        // Told in move order, as the list follows them.
        std::ranges::reverse(undone.back);
        std::ranges::reverse(undone.notPutBack);
        undone.message = StatusTexts::putBack(putBack);
    }
    // Only the files that did move back are listed under their old names again;
    // one that couldn't stays listed where it still is.
    assignFiles(following(files_, undone.back));
    assignLastMoves({});
    assign(notPutBack_, std::move(undone.notPutBack), Field::notPutBack);
    setMessage(std::move(undone.message));
}

TavixModel::Undone TavixModel::undoJournal(const fs::path& journal, const std::vector<Move>& moves,
                                           const journal::UndoProgress& progress) {
    Undone undone;
    journal::UndoResult result;
    try {
        result = journal::undoJournal(
            journal, "Journal \u201C" + journal.filename().string() + "\u201D", progress);
    } catch (const journal::JournalError& error) {
        undone.message = sentence(StatusTexts::putBack(0), error.what());
        return undone;
    }
    undone.back = movedBack(moves, result.notPutBack);
    undone.notPutBack = std::move(result.notPutBack);
    undone.message = StatusTexts::putBack(result.putBack);
    if (!result.damage.empty()) {
        undone.message = sentence(undone.message, "Some lines of the journal couldn't be read (" +
                                                      result.damage.front() + ").");
    }
    if (result.notMarked) {
        undone.message = sentence(undone.message,
                                  "The journal couldn't be marked undone: " + *result.notMarked + ".");
    }
    return undone;
}

TavixModel::History TavixModel::history() const {
    History found;
    const fs::path folder = journalFolder();
    if (folder.empty()) {
        found.error = "No state folder for journals: set XDG_STATE_HOME or HOME.";
        return found;
    }
    try {
        found.batches = journal::history(folder, found.skipped);
    } catch (const journal::JournalError& error) {
        found.error = error.what();
    }
    return found;
}

void TavixModel::undoBatch(const fs::path& journal) {
    // The list follows the files of the batch, so its moves are read first;
    // a list with nothing in it needs none.
    const std::vector<Move> moves = files_.empty() ? std::vector<Move>{} : journalMoves(journal);
    std::optional<ProgressRun> progress;
    Undone undone = undoJournal(journal, moves, countInto(progress));
    assignFiles(following(files_, undone.back));
    // The window's own last batch, undone from here, can't be undone again.
    if (!lastJournal_.empty() && lastJournal_.lexically_normal() == journal.lexically_normal()) {
        assignLastMoves({});
    }
    assign(notPutBack_, std::move(undone.notPutBack), Field::notPutBack);
    setMessage(std::move(undone.message));
}

}  // namespace tavix
