#include "cli/RenameCommands.hpp"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
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
    const RenamePlan plan = planBatches(std::move(files), rules, args);
    // The moves are read from the plan's items in place: nothing is copied.
    const RenameEngine::Batch batch(plan);

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
    std::unique_ptr<JournalWriter> journal;
    if (!args.noJournal) {
        if (args.journal) {
            fs::path location(*args.journal);
            if (location.is_relative()) location = io.workingDirectory / location;
            journal = std::make_unique<JournalWriter>(location, batch, batch.identities());
        } else {
            journal =
                JournalWriter::inFolder(journalFolder(stateFolder(io)), batch, batch.identities());
        }
    }

    // The JSON document is written move by move as the moves are made; the
    // failures, few as a rule, are kept for its end and for the message.
    if (args.json) io.out << "{\"moves\":[";
    Json entry = {{"from", ""}, {"to", ""}};
    std::size_t moved = 0;
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
            io.out << (moved > 0 ? "," : "") << dumpJson(entry);
        }
        ++moved;
    });
    const std::string message = StatusTexts::renamed(
        moved, failures.size(), failures.empty() ? "" : failures.front().message);
    if (args.json) {
        io.out << "],\"failures\":[";
        for (std::size_t i = 0; i < failures.size(); ++i) {
            const Json failure = {{"path", failures[i].url.string()},
                                  {"message", failures[i].message}};
            io.out << (i > 0 ? "," : "") << dumpJson(failure);
        }
        io.out << "],\"message\":" << dumpJson(Json(message)) << "}\n";
    } else {
        io.out << printable(message) << "\n";
    }
    if (journal) {
        if (const auto error = journal->complete(failures, message)) {
            // The renames are made and the pending journal still lists them all.
            io.err << "tavix-cli: journal \u201C" << printable(journal->path())
                   << "\u201D could not be completed: " << error.message()
                   << "; it is left pending and undo still puts every file back\n";
            return 1;
        }
    }
    return failures.empty() ? 0 : 1;
}

namespace {

// The journal to undo, read from its file or, for "-", from standard input
// (kept in an unnamed temporary file while it is read).
std::unique_ptr<JournalReader> openJournal(const std::string& name, const fs::path& location,
                                           Io& io) {
    if (name != "-") return JournalReader::open(location, name);
    std::FILE* spool = std::tmpfile();
    if (spool == nullptr) throw InputError(name + ": " + std::strerror(errno));
    char buffer[1 << 14];
    while (io.in.read(buffer, sizeof buffer) || io.in.gcount() > 0) {
        std::fwrite(buffer, 1, static_cast<std::size_t>(io.in.gcount()), spool);
    }
    const bool written = std::fflush(spool) == 0 && !std::ferror(spool);
    const int file = ::dup(::fileno(spool));
    std::fclose(spool);
    if (!written || file < 0) {
        if (file >= 0) ::close(file);
        throw InputError(name + ": could not be read");
    }
    return std::make_unique<JournalReader>(file, name);
}

using Kind = RenameEngine::UndoOutcome::Kind;

// What undo found for a planned move, in a byte; `skipped` for one it didn't try.
enum class Found : std::uint8_t { skipped, putBack, notMoved, anotherFile, missing, failed };

Found found(Kind kind) {
    switch (kind) {
        case Kind::putBack:
            return Found::putBack;
        case Kind::notMoved:
            return Found::notMoved;
        case Kind::anotherFile:
            return Found::anotherFile;
        case Kind::missing:
            return Found::missing;
        case Kind::failed:
            break;
    }
    return Found::failed;
}

bool worthALine(Found what) {
    return what == Found::anotherFile || what == Found::missing || what == Found::failed;
}

// Which planned moves the journal lists among its moves made (or, with
// `failures`, among its failures). Both lists follow the plan's order, so one
// walk along the two answers; a journal whose lists don't is answered by names.
std::vector<bool> listed(const JournalReader& journal, bool failures) {
    const std::size_t count = journal.plannedCount();
    std::vector<bool> found(count, false);
    std::vector<PlannedMove> window;
    std::size_t windowFirst = 0;
    std::size_t next = 0;
    bool inOrder = true;
    const auto visit = [&](const fs::path& from) {
        if (!inOrder) return;
        for (;; ++next) {
            if (next == count) {
                inOrder = false;
                return;
            }
            if (next >= windowFirst + window.size()) {
                windowFirst = next / JournalReader::chunk * JournalReader::chunk;
                window = journal.planned(windowFirst,
                                         std::min(JournalReader::chunk, count - windowFirst));
            }
            if (window[next - windowFirst].from == from) break;
        }
        found[next++] = true;
    };
    if (failures) {
        journal.forEachFailure([&](const RenameEngine::Applied::Failure& f) { visit(f.url); });
    } else {
        journal.forEachMove([&](const Move& move) { visit(move.from); });
    }
    if (inOrder) return found;

    std::unordered_set<std::string> names;
    if (failures) {
        journal.forEachFailure(
            [&](const RenameEngine::Applied::Failure& f) { names.insert(f.url.native()); });
    } else {
        journal.forEachMove([&](const Move& move) { names.insert(move.from.native()); });
    }
    std::size_t index = 0;
    journal.forEachPlanned(
        [&](const PlannedMove& move) { found[index++] = names.contains(move.from.native()); });
    return found;
}

std::string reasonText(Found what, const std::error_code& error) {
    switch (what) {
        case Found::anotherFile:
            return "another file is there now";
        case Found::missing:
            return "it is no longer there";
        case Found::failed:
            if (error == std::errc::file_exists) return "another file has its old name now";
            return error.message();
        default:
            return {};
    }
}

}  // namespace

int undoJournal(const Arguments& args, Io& io) {
    fs::path location;
    if (args.last) {
        const fs::path folder = journalFolder(stateFolder(io));
        for (const HistoryEntry& entry :
             history(folder, [](const fs::path&, const std::string&) {})) {
            if (entry.state != JournalState::undone) {
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
    const auto journal = openJournal(name, location, io);
    if (journal->state() == JournalState::undone) {
        throw JournalError(name + ": already undone; nothing was moved");
    }

    // Last move first, a chunk of planned moves at a time: memory holds one
    // chunk, a byte per move for what became of it, and the errors of the few
    // that failed.
    const std::size_t count = journal->plannedCount();
    std::vector<Found> outcomes(count, Found::skipped);
    std::vector<std::pair<std::size_t, std::error_code>> errors;
    std::size_t putBack = 0;
    bool anyWorthALine = false;
    for (std::size_t end = count; end > 0;) {
        const std::size_t first = (end - 1) / JournalReader::chunk * JournalReader::chunk;
        const std::vector<PlannedMove> moves = journal->planned(first, end - first);
        for (std::size_t i = moves.size(); i-- > 0;) {
            // A journal of this version is trusted only through identities: a planned
            // move whose file couldn't be identified never moved anything of ours.
            if (!journal->earlierForm() && !moves[i].identity) continue;
            const auto outcome = RenameEngine::undoChecked(moves[i]);
            const Found what = found(outcome.kind);
            outcomes[first + i] = what;
            if (what == Found::putBack) ++putBack;
            if (what == Found::failed) errors.emplace_back(first + i, outcome.error);
            anyWorthALine = anyWorthALine || worthALine(what);
        }
        end = first;
    }

    if (args.json) io.out << "{\"putBack\":" << putBack << ",\"notPutBack\":[";
    std::size_t reported = 0;
    if (anyWorthALine) {
        // Only a file that was (or may have been) moved is worth a line.
        const bool pending = journal->state() == JournalState::pending;
        const std::vector<bool> inList = listed(*journal, pending);
        std::sort(errors.begin(), errors.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        std::size_t index = 0;
        journal->forEachPlanned([&](const PlannedMove& move) {
            const std::size_t i = index++;
            const Found what = outcomes[i];
            if (!worthALine(what) || inList[i] == pending) return;
            std::error_code error;
            if (what == Found::failed) {
                error = std::lower_bound(
                            errors.begin(), errors.end(), i,
                            [](const auto& entry, std::size_t at) { return entry.first < at; })
                            ->second;
            }
            const std::string reason = reasonText(what, error);
            if (args.json) {
                const Json entry = {{"path", move.to.string()}, {"reason", reason}};
                io.out << (reported > 0 ? "," : "") << dumpJson(entry);
            } else {
                io.err << "tavix-cli: not put back: \u201C" << printable(move.to)
                       << "\u201D: " << reason << "\n";
            }
            ++reported;
        });
    }
    const std::string message = StatusTexts::putBack(putBack);
    if (args.json) {
        io.out << "],\"message\":" << dumpJson(Json(message)) << "}\n";
    } else {
        io.out << message << "\n";
    }
    int status = reported > 0 ? 1 : 0;
    if (const auto error = markUndone(location, *journal)) {
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
        const std::string firstFolder = entry.folder.string();
        if (args.json) {
            Json item;
            item["journal"] = entry.path.string();
            item["created"] = entry.created;
            item["state"] = rawValue(entry.state);
            item["planned"] = entry.planned;
            item["moved"] = entry.moved;
            item["failed"] = entry.failed;
            item["message"] = entry.message ? Json(*entry.message) : Json(nullptr);
            item["folder"] = firstFolder;
            list.push_back(std::move(item));
            continue;
        }
        io.out << localTime(entry.created) << "  " << rawValue(entry.state) << "  "
               << printable(entry.state == JournalState::pending || !entry.message
                                ? plural(entry.planned, "move") + " planned"
                                : *entry.message)
               << "  " << printable(firstFolder) << "\n";
    }
    if (args.json) io.out << dumpJson(list) << "\n";
    return 0;
}

}  // namespace tavix::cli
