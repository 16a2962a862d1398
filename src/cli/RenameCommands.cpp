#include "cli/RenameCommands.hpp"

#include <ctime>
#include <memory>
#include <nlohmann/json.hpp>

#include "cli/CommandPlan.hpp"
#include "cli/Inputs.hpp"
#include "cli/PlanOutput.hpp"
#include "cli/TerminalText.hpp"
#include "engine/Perform.hpp"
#include "engine/RenamePlan.hpp"
#include "journal/BatchJournal.hpp"
#include "journal/History.hpp"
#include "journal/StateFolder.hpp"
#include "journal/Undo.hpp"
#include "model/StatusTexts.hpp"
#include "text/Wording.hpp"
#include "update/Version.hpp"

namespace tavix::cli {
namespace {

using Json = nlohmann::ordered_json;
namespace fs = std::filesystem;

using journal::JournalError;
using journal::JournalState;

// The folder of the state folder's journals.
fs::path journals(const Io& io) {
    const fs::path folder = io.stateFolder.empty() ? journal::defaultStateFolder() : io.stateFolder;
    if (folder.empty()) {
        throw JournalError("no state folder for journals: set XDG_STATE_HOME or HOME");
    }
    return journal::journalFolder(folder);
}

void printSkipped(const std::vector<journal::Skipped>& skipped, Io& io) {
    for (const auto& [path, reason] : skipped) {
        io.err << "tavix-cli: skipped " << printable(path) << ": " << printable(reason) << "\n";
    }
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

using Wording::counted;

}  // namespace

int renameFiles(const Arguments& args, Io& io) {
    const auto [plan, fileCount] = planCommandLine(args, io);
    // The moves are read from the plan's items in place: nothing is copied.
    // With chains they are made in their move order, which the journal keeps.
    const RenameEngine::Batch batch =
        args.chains ? RenameEngine::Batch(plan, moveOrder(plan)) : RenameEngine::Batch(plan);

    if (plan.hasProblems() || batch.size() == 0) {
        if (args.json) {
            writePlanJson(plan, io.out);
            io.out << "\n";
        } else {
            printPlan(plan, fileCount, io.outIsTerminal && !io.noColor, io.out);
        }
        return 1;
    }

    // The intent is durable before the first move, so that undo works after a
    // crash at any instant; a journal that can't be made stops everything here.
    std::unique_ptr<journal::BatchJournal> journal;
    fs::path folder;
    if (!args.noJournal) {
        const std::string by = "tavix-cli " + std::string(version());
        if (args.journal) {
            fs::path location(*args.journal);
            if (location.is_relative()) location = io.workingDirectory / location;
            journal = journal::BatchJournal::begin(location, batch, by);
        } else {
            folder = journals(io);
            journal = journal::BatchJournal::beginInFolder(folder, batch, by);
        }
    }

    // The JSON document is written move by move as the moves are made; the
    // failures, few as a rule, are kept for its end and for the message.
    if (args.json) io.out << "{\"moves\":[";
    Json entry = {{"from", ""}, {"to", ""}};
    std::vector<std::uint32_t> made;  // named should the journal be lost
    std::vector<RenameEngine::Applied::Failure> failures;
    batch.perform([&](std::size_t move, const RenameEngine::Applied::Failure* failure) {
        if (journal) journal->record(move, failure);
        if (failure) {
            failures.push_back(*failure);
            return;
        }
        if (args.json) {
            entry["from"].get_ref<std::string&>().assign(batch.fromPath(move));
            batch.destinationPath(move, entry["to"].get_ref<std::string&>());
            io.out << (made.empty() ? "" : ",") << dumpJson(entry);
        }
        made.push_back(static_cast<std::uint32_t>(move));
    });
    const std::string message = StatusTexts::renamed(
        made.size(), failures.size(), failures.empty() ? "" : failures.front().message);
    if (args.json) {
        io.out << "],\"failures\":[";
        for (std::size_t i = 0; i < failures.size(); ++i) {
            const Json failure = {{"path", failures[i].path.string()},
                                  {"message", failures[i].message}};
            io.out << (i > 0 ? "," : "") << dumpJson(failure);
        }
        io.out << "],\"message\":" << dumpJson(Json(message)) << "}\n";
    } else {
        io.out << printable(message) << "\n";
    }
    int status = failures.empty() ? 0 : 1;
    if (!journal) return status;
    const auto finished = journal->finish(message, made.size(), failures.size());
    if (finished.replaced) {
        // Undo can't find this batch any more: say so, and name what moved.
        io.err << "tavix-cli: journal \u201C" << printable(journal->path())
               << "\u201D was replaced or removed while the batch ran: this batch has no journal "
                  "left; the "
               << made.size() << " moves made were:\n";
        std::string to;
        for (const std::uint32_t move : made) {
            batch.destinationPath(move, to);
            io.err << "tavix-cli: moved \u201C" << printable(batch.fromPath(move))
                   << "\u201D to \u201C" << printable(to) << "\u201D\n";
        }
        return 1;
    }
    if (finished.error) {
        // The renames are made and the pending journal still lists them all.
        io.err << "tavix-cli: journal \u201C" << printable(journal->path())
               << "\u201D could not be completed: " << finished.error.message()
               << "; it is left pending and undo still puts every file back\n";
        status = 1;
    }
    if (!folder.empty()) {
        // Old finished journals go; what can't be looked at is left alone quietly.
        std::vector<journal::Skipped> ignored;
        try {
            journal::prune(folder, journal::keptJournals, journal::keptAge, ignored);
        } catch (const JournalError&) {
        }
    }
    return status;
}

int undoJournal(const Arguments& args, Io& io) {
    journal::UndoResult result;
    std::string name;
    if (args.last) {
        std::vector<journal::Skipped> skipped;
        try {
            result = journal::undoNewest(journals(io), skipped);
        } catch (const JournalError&) {
            printSkipped(skipped, io);
            throw;
        }
        printSkipped(skipped, io);
    } else if (args.paths.front() == "-") {
        result = journal::undoJournal(io.in, "-");
    } else {
        fs::path location = args.paths.front();
        if (location.is_relative()) location = io.workingDirectory / location;
        result = journal::undoJournal(location, args.paths.front());
        name = location.string();
    }

    int status = 0;
    for (const std::string& damage : result.damage) {
        io.err << "tavix-cli: damaged journal: " << printable(damage)
               << "; its file, if any, was not put back\n";
        status = 2;
    }
    if (args.json) io.out << "{\"putBack\":" << result.putBack << ",\"notPutBack\":[";
    for (std::size_t i = 0; i < result.notPutBack.size(); ++i) {
        const auto& [path, reason] = result.notPutBack[i];
        if (args.json) {
            const Json item = {{"path", path.string()}, {"reason", reason}};
            io.out << (i > 0 ? "," : "") << dumpJson(item);
        } else {
            io.err << "tavix-cli: not put back: \u201C" << printable(path) << "\u201D: " << reason
                   << "\n";
        }
        if (status == 0) status = 1;
    }
    const std::string message = StatusTexts::putBack(result.putBack);
    if (args.json) {
        io.out << "],\"message\":" << dumpJson(Json(message)) << "}\n";
    } else {
        io.out << message << "\n";
    }
    if (result.notMarked) {
        if (name.empty() && !args.last) {
            io.err << "tavix-cli: " << *result.notMarked << "\n";
        } else {
            io.err << "tavix-cli: the journal could not be marked undone: "
                   << printable(*result.notMarked) << "\n";
            if (status == 0) status = 1;
        }
    }
    return status;
}

int showHistory(const Arguments& args, Io& io) {
    const fs::path folder = journals(io);
    std::vector<journal::Skipped> skipped;
    if (args.prune) {
        const std::size_t removed = journal::prune(
            folder, args.keep.value_or(journal::keptJournals), std::nullopt, skipped);
        printSkipped(skipped, io);
        io.out << "Removed " << counted(removed, "journal") << ".\n";
        return 0;
    }
    const auto entries = journal::history(folder, skipped);
    printSkipped(skipped, io);
    const auto orNull = [](const std::optional<std::size_t>& count) {
        return count ? Json(*count) : Json(nullptr);
    };
    Json list = Json::array();
    for (const journal::HistoryEntry& entry : entries) {
        if (args.json) {
            Json item;
            item["journal"] = entry.journal.string();
            item["created"] = entry.created;
            item["by"] = entry.by.empty() ? Json(nullptr) : Json(entry.by);
            item["state"] = journal::rawValue(entry.state);
            item["planned"] = orNull(entry.planned);
            item["moved"] = orNull(entry.moved);
            item["failed"] = orNull(entry.failed);
            item["message"] = entry.message ? Json(*entry.message) : Json(nullptr);
            item["folder"] = entry.folder;
            list.push_back(std::move(item));
            continue;
        }
        io.out << localTime(entry.created) << "  " << journal::rawValue(entry.state) << "  "
               << printable(entry.state == JournalState::pending || !entry.message
                                ? counted(entry.planned.value_or(0), "move") + " planned"
                                : *entry.message)
               << "  " << printable(entry.folder) << "\n";
    }
    if (args.json) io.out << dumpJson(list) << "\n";
    return 0;
}

}  // namespace tavix::cli
