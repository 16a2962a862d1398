#include "engine/Perform.hpp"

#include <optional>

#include "engine/Uuid.hpp"
#include "text/CaseMapping.hpp"
#include "text/Utf.hpp"
#include "system/FileSystem.hpp"
#include "text/CanonicalText.hpp"
#include "text/PathNames.hpp"

namespace tavix::RenameEngine {
namespace {

using Path = Location;

// The longest name most Linux file systems accept, in bytes.
constexpr std::size_t nameMax = 255;

bool differsOnlyInCase(const std::string& a, const std::string& b) {
    if (!text::isValidUtf8(a) || !text::isValidUtf8(b)) return false;
    return canonicallyEqual(text::lowercased(a), text::lowercased(b));
}

// "<UUID>-<name>", or the UUID alone where that would be too long a name.
Path temporaryBeside(const Path& url, const std::string& name) {
    std::string temporary = Uuid::random().text();
    if (temporary.size() + 1 + name.size() <= nameMax) temporary += "-" + name;
    return PathNames::child(PathNames::folder(url), temporary);
}

std::optional<Path> temporaryFor(const Path& from, const Path& to) {
    const std::string newName = PathNames::name(to);
    if (!differsOnlyInCase(PathNames::name(from), newName)) return std::nullopt;
    return temporaryBeside(from, newName);
}

struct Outcome {
    std::error_code error;
    bool leftAtTemporary = false;
};

// Moves `from` to `to` in two steps through `temporary`. If the second step
// fails the file goes back to `from`; only if that fails too does it stay under
// the temporary name.
Outcome moveThrough(const Path& from, const Path& temporary, const Path& to) {
    if (const auto error = FileSystem::move(from, temporary)) return {error};
    const auto error = FileSystem::move(temporary, to);
    if (!error) return {};
    return {error, static_cast<bool>(FileSystem::move(temporary, from))};
}

Outcome moveFile(const Path& from, const Path& to, const std::optional<Path>& temporary) {
    if (temporary) return moveThrough(from, *temporary, to);
    return {FileSystem::move(from, to)};
}

}  // namespace

std::string moveFailure(const Path& from, const Path& to, const std::error_code& error) {
    return "Couldn't rename \u201C" + PathNames::name(from) + "\u201D to \u201C" +
           PathNames::name(to) + "\u201D: " + error.message();
}

std::vector<PlannedMove> plannedMoves(const RenamePlan& plan) {
    std::vector<PlannedMove> moves;
    moves.reserve(plan.changedCount());
    for (const auto& item : plan.items) {
        if (item.problem || !item.isChanged()) continue;
        Path destination = PathNames::child(PathNames::folder(item.url), item.newName);
        std::optional<Path> temporary = temporaryFor(item.url, destination);
        moves.push_back({item.url, std::move(destination), std::move(temporary), std::nullopt});
    }
    return moves;
}

Applied perform(const std::vector<PlannedMove>& moves,
                const std::function<void(std::size_t, const Applied::Failure*)>& done) {
    Applied applied;
    for (std::size_t i = 0; i < moves.size(); ++i) {
        const PlannedMove& move = moves[i];
        const Outcome outcome = moveFile(move.from, move.to, move.temporary);
        if (outcome.error) {
            std::string message = moveFailure(move.from, move.to, outcome.error);
            if (outcome.leftAtTemporary) {
                message +=
                    "; the file is now named \u201C" + PathNames::name(*move.temporary) + "\u201D";
            }
            applied.failures.push_back({move.from, std::move(message)});
        } else {
            applied.moves.push_back({move.from, move.to});
        }
        if (done) done(i, outcome.error ? &applied.failures.back() : nullptr);
    }
    return applied;
}

Applied perform(const RenamePlan& plan) {
    return perform(plannedMoves(plan));
}

std::vector<bool> undoEach(const std::vector<Move>& moves) {
    std::vector<bool> putBack(moves.size(), false);
    for (std::size_t i = moves.size(); i-- > 0;) {
        const Move& move = moves[i];
        putBack[i] = !moveFile(move.to, move.from, temporaryFor(move.to, move.from)).error;
    }
    return putBack;
}

std::int64_t undo(const std::vector<Move>& moves) {
    std::int64_t count = 0;
    for (bool done : undoEach(moves)) count += done ? 1 : 0;
    return count;
}

namespace {

using Kind = UndoOutcome::Kind;

UndoOutcome moved(const Outcome& outcome) {
    if (outcome.error) return {Kind::failed, outcome.error};
    return {Kind::putBack, {}};
}

UndoOutcome undoOne(const PlannedMove& move) {
    if (!move.identity) {
        return moved(moveFile(move.to, move.from, temporaryFor(move.to, move.from)));
    }
    const FileSystem::FileId& id = *move.identity;
    const auto atNewName = FileSystem::identity(move.to);
    if (atNewName == id) {
        // A case-only change goes back through its recorded temporary name, so
        // that an interruption leaves the file where the journal can find it.
        return moved(moveFile(move.to, move.from, move.temporary));
    }
    if (move.temporary && FileSystem::identity(*move.temporary) == id) {
        return moved({FileSystem::move(*move.temporary, move.from)});
    }
    if (FileSystem::identity(move.from) == id) return {Kind::notMoved, {}};
    return {atNewName ? Kind::anotherFile : Kind::missing, {}};
}

}  // namespace

std::vector<UndoOutcome> undoChecked(const std::vector<PlannedMove>& moves) {
    std::vector<UndoOutcome> outcomes(moves.size());
    for (std::size_t i = moves.size(); i-- > 0;) outcomes[i] = undoOne(moves[i]);
    return outcomes;
}

}  // namespace tavix::RenameEngine
