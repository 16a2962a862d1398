#include "cli/RenameCommands.hpp"

#include <ctime>
#include <memory>
#include <nlohmann/json.hpp>
#include <unordered_set>

#include "cli/Batches.hpp"
#include "cli/Inputs.hpp"
#include "cli/Journal.hpp"
#include "cli/PlanOutput.hpp"
#include "cli/TerminalText.hpp"
#include "engine/Perform.hpp"
#include "engine/RenamePlan.hpp"
#include "model/StatusTexts.hpp"

namespace tavix::cli {
namespace {

using Json = nlohmann::ordered_json;
namespace fs = std::filesystem;

Json appliedJson(const RenameEngine::Applied& applied, const std::string& message) {
    Json moves = Json::array();
    for (const Move& move : applied.moves) {
        moves.push_back({{"from", move.from.string()}, {"to", move.to.string()}});
    }
    Json failures = Json::array();
    for (const auto& failure : applied.failures) {
        failures.push_back({{"path", failure.url.string()}, {"message", failure.message}});
    }
    Json document;
    document["moves"] = std::move(moves);
    document["failures"] = std::move(failures);
    document["message"] = message;
    return document;
}

fs::path stateFolder(const Io& io) {
    const fs::path folder = io.stateFolder.empty() ? defaultStateFolder() : io.stateFolder;
    if (folder.empty()) {
        throw JournalError("no state folder for journals: set XDG_STATE_HOME or HOME");
    }
    return folder;
}

// "2026-12-07T14:03:11Z" as local time, "2026-12-07 15:03:11"; as given if it
// doesn't read as such a time.
std::string localTime(const std::string& utc) {
    std::tm parts{};
    const char* end = ::strptime(utc.c_str(), "%Y-%m-%dT%H:%M:%SZ", &parts);
    if (end == nullptr || *end != '\0') return utc;
    const std::time_t time = ::timegm(&parts);
    std::tm local{};
    ::localtime_r(&time, &local);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M:%S", &local);
    return buffer;
}

std::string plural(std::size_t count, std::string_view noun) {
    return std::to_string(count) + " " + std::string(noun) + (count == 1 ? "" : "s");
}

}  // namespace

int renameFiles(const Arguments& args, Io& io) {
    const auto rules = readSteps(args, io);
    auto files = readFiles(args, io);
    const std::size_t fileCount = files.size();
    auto plan = std::make_unique<RenamePlan>(planBatches(std::move(files), rules, args));

    if (plan->hasProblems() || plan->changedCount() == 0) {
        if (args.json) {
            writePlanJson(*plan, io.out);
            io.out << "\n";
        } else {
            printPlan(*plan, fileCount, io.outIsTerminal && !io.noColor, io.out);
        }
        return 1;
    }

    std::vector<PlannedMove> moves = RenameEngine::plannedMoves(*plan);
    plan.reset();

    // The intent is durable before the first move, so that undo works after a
    // crash at any instant; a journal that can't be made stops everything here.
    std::unique_ptr<JournalWriter> journal;
    if (!args.noJournal) {
        for (PlannedMove& move : moves) move.identity = FileSystem::identity(move.from);
        if (args.journal) {
            fs::path location(*args.journal);
            if (location.is_relative()) location = io.workingDirectory / location;
            journal = std::make_unique<JournalWriter>(location, moves);
        } else {
            journal = JournalWriter::inFolder(journalFolder(stateFolder(io)), moves);
        }
    }

    const RenameEngine::Applied applied = RenameEngine::perform(
        moves, [&](std::size_t index, const RenameEngine::Applied::Failure* failure) {
            if (journal) journal->record(index, failure);
        });
    const std::string message =
        StatusTexts::renamed(applied.moves.size(), applied.failures.size(),
                             applied.failures.empty() ? "" : applied.failures.front().message);
    if (args.json) {
        io.out << dumpJson(appliedJson(applied, message)) << "\n";
    } else {
        io.out << printable(message) << "\n";
    }
    if (journal) {
        if (const auto error = journal->complete(applied, message)) {
            // The renames are made and the pending journal still lists them all.
            io.err << "tavix-cli: journal \u201C" << printable(journal->path())
                   << "\u201D could not be completed: " << error.message()
                   << "; it is left pending and undo still puts every file back\n";
            return 1;
        }
    }
    return applied.failures.empty() ? 0 : 1;
}

namespace {

std::string reasonText(const RenameEngine::UndoOutcome& outcome) {
    using Kind = RenameEngine::UndoOutcome::Kind;
    switch (outcome.kind) {
        case Kind::anotherFile:
            return "another file is there now";
        case Kind::missing:
            return "it is no longer there";
        case Kind::failed:
            if (outcome.error == std::errc::file_exists) return "another file has its old name now";
            return outcome.error.message();
        case Kind::putBack:
        case Kind::notMoved:
            break;
    }
    return {};
}

}  // namespace

int undoJournal(const Arguments& args, Io& io) {
    fs::path location;
    if (args.last) {
        const fs::path folder = journalFolder(stateFolder(io));
        for (const HistoryEntry& entry :
             history(folder, [](const fs::path&, const std::string&) {})) {
            if (entry.journal.state != JournalState::undone) {
                location = entry.path;
                break;
            }
        }
        if (location.empty()) {
            throw JournalError("no journal to undo in \u201C" + folder.string() + "\u201D");
        }
    } else {
        location = args.paths.front();
        if (location.is_relative()) location = io.workingDirectory / location;
    }
    const std::string name = args.last ? location.string() : args.paths.front();
    const Journal journal = readJournal(readAll(name, io), name);
    if (journal.state == JournalState::undone) {
        throw JournalError(name + ": already undone; nothing was moved");
    }

    // The files the journal says were moved, and those whose move failed.
    std::unordered_set<std::string_view> moved;
    std::unordered_set<std::string_view> failed;
    for (const Move& move : journal.moves) moved.insert(move.from.native());
    for (const auto& failure : journal.failures) failed.insert(failure.url.native());

    // A journal of this version is trusted only through identities: a planned
    // move whose file couldn't be identified never moved anything of ours.
    std::vector<PlannedMove> candidates;
    candidates.reserve(journal.planned.size());
    for (const PlannedMove& move : journal.planned) {
        if (journal.earlierForm || move.identity) candidates.push_back(move);
    }
    const auto outcomes = RenameEngine::undoChecked(candidates);

    using Kind = RenameEngine::UndoOutcome::Kind;
    std::size_t putBack = 0;
    std::size_t reported = 0;
    Json notPutBack = Json::array();
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const auto& outcome = outcomes[i];
        if (outcome.kind == Kind::putBack) ++putBack;
        if (outcome.kind == Kind::putBack || outcome.kind == Kind::notMoved) continue;
        // Only a file that was (or may have been) moved is worth a line.
        const std::string_view from = candidates[i].from.native();
        const bool mayHaveMoved =
            journal.state == JournalState::pending ? !failed.contains(from) : moved.contains(from);
        if (!mayHaveMoved) continue;
        const std::string reason = reasonText(outcome);
        ++reported;
        if (args.json) {
            notPutBack.push_back({{"path", candidates[i].to.string()}, {"reason", reason}});
        } else {
            io.err << "tavix-cli: not put back: \u201C" << printable(candidates[i].to)
                   << "\u201D: " << reason << "\n";
        }
    }
    const std::string message = StatusTexts::putBack(putBack);
    if (args.json) {
        Json document;
        document["putBack"] = putBack;
        document["notPutBack"] = std::move(notPutBack);
        document["message"] = message;
        io.out << dumpJson(document) << "\n";
    } else {
        io.out << message << "\n";
    }
    int status = reported > 0 ? 1 : 0;
    if (const auto error = markUndone(location, journal)) {
        io.err << "tavix-cli: journal \u201C" << printable(location)
               << "\u201D could not be marked undone: " << error.message() << "\n";
        status = 1;
    }
    return status;
}

int showHistory(const Arguments& args, Io& io) {
    const fs::path folder = journalFolder(stateFolder(io));
    const auto entries = history(folder, [&](const fs::path& path, const std::string& why) {
        io.err << "tavix-cli: skipped " << printable(path) << ": " << printable(why) << "\n";
    });
    Json list = Json::array();
    for (const HistoryEntry& entry : entries) {
        const Journal& journal = entry.journal;
        const fs::path first =
            journal.planned.empty() ? fs::path() : journal.planned.front().from.path();
        const std::string firstFolder = first.empty() ? "" : first.parent_path().string();
        if (args.json) {
            Json item;
            item["journal"] = entry.path.string();
            item["created"] = journal.created;
            item["state"] = rawValue(journal.state);
            item["planned"] = journal.planned.size();
            item["moved"] = journal.moves.size();
            item["failed"] = journal.failures.size();
            item["message"] = journal.message ? Json(*journal.message) : Json(nullptr);
            item["folder"] = firstFolder;
            list.push_back(std::move(item));
            continue;
        }
        io.out << localTime(journal.created) << "  " << rawValue(journal.state) << "  "
               << printable(journal.state == JournalState::pending || !journal.message
                                ? plural(journal.planned.size(), "move") + " planned"
                                : *journal.message)
               << "  " << printable(firstFolder) << "\n";
    }
    if (args.json) io.out << dumpJson(list) << "\n";
    return 0;
}

}  // namespace tavix::cli
