#include "cli/RenameCommands.hpp"

#include <memory>
#include <nlohmann/json.hpp>

#include "cli/Batches.hpp"
#include "cli/Inputs.hpp"
#include "cli/Journal.hpp"
#include "cli/PlanOutput.hpp"
#include "engine/Perform.hpp"
#include "engine/RenamePlan.hpp"
#include "model/StatusTexts.hpp"

namespace tavix::cli {
namespace {

using Json = nlohmann::ordered_json;

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

}  // namespace

int renameFiles(const Arguments& args, Io& io) {
    const auto rules = readSteps(args, io);
    auto files = readFiles(args, io);
    const std::size_t fileCount = files.size();
    const RenamePlan plan = planBatches(std::move(files), rules, args);

    if (plan.hasProblems() || plan.changedCount() == 0) {
        if (args.json) {
            writePlanJson(plan, io.out);
            io.out << "\n";
        } else {
            printPlan(plan, fileCount, io.outIsTerminal && !io.noColor, io.out);
        }
        return 1;
    }

    // Made before anything moves, so a journal that can't be written stops here.
    std::unique_ptr<PendingJournal> journal;
    if (args.journal) {
        std::filesystem::path location(*args.journal);
        if (location.is_relative()) location = io.workingDirectory / location;
        journal = std::make_unique<PendingJournal>(location);
    }

    const RenameEngine::Applied applied = RenameEngine::perform(plan);
    const std::string message =
        StatusTexts::renamed(applied.moves.size(), applied.failures.size(),
                             applied.failures.empty() ? "" : applied.failures.front().message);
    const Json document = appliedJson(applied, message);
    if (args.json) {
        io.out << dumpJson(document) << "\n";
    } else {
        io.out << message << "\n";
    }
    if (journal) {
        try {
            journal->commit(dumpJson(document) + "\n");
        } catch (const JournalError& error) {
            // The files are renamed already: say so, and what was lost.
            io.err << "tavix-cli: " << error.what() << "; the renames above were made but not "
                   << "recorded\n";
            return 1;
        }
    }
    return applied.failures.empty() ? 0 : 1;
}

int undoJournal(const Arguments& args, Io& io) {
    const std::string& name = args.paths.front();
    const std::vector<Move> moves = readJournalMoves(readAll(name, io), name);
    const auto putBack = static_cast<std::size_t>(RenameEngine::undo(moves));
    const std::string message = StatusTexts::putBack(putBack);
    if (args.json) {
        Json document;
        document["putBack"] = putBack;
        document["message"] = message;
        io.out << dumpJson(document) << "\n";
    } else {
        io.out << message << "\n";
    }
    return putBack == moves.size() ? 0 : 1;
}

}  // namespace tavix::cli
