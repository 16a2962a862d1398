#include "engine/Perform.hpp"

#include <algorithm>
#include <cstring>
#include <optional>
#include <tuple>
#include <type_traits>

#include "engine/Uuid.hpp"
#include "system/FileStatus.hpp"
#include "system/FileSystem.hpp"
#include "system/FolderEntries.hpp"
#include "text/CaseFolding.hpp"
#include "text/PathNames.hpp"

namespace tavix::RenameEngine {
namespace {

// The longest name most Linux file systems accept, in bytes.
constexpr std::size_t nameMax = 255;

// "<UUID>-<name>", or the UUID alone where that would be too long a name.
void uuidName(const Uuid& id, std::string_view name, std::string& out) {
    out = id.text();
    if (out.size() + 1 + name.size() <= nameMax) {
        out += '-';
        out += name;
    }
}

std::string freshTemporaryName(const std::string& name) {
    std::string temporary;
    uuidName(Uuid::random(), name, temporary);
    return temporary;
}

std::optional<Location> temporaryFor(const Location& from, const Location& to) {
    const std::string newName = PathNames::name(to);
    if (!text::differsOnlyInCase(PathNames::name(from), newName)) return std::nullopt;
    return PathNames::child(PathNames::folder(from), freshTemporaryName(newName));
}

struct Outcome {
    std::error_code error;
    bool leftAtTemporary = false;
};

// Moves `from` to `to` in two steps through `temporary`. If the second step
// fails the file goes back to `from`; only if that fails too does it stay under
// the temporary name.
template <class MoveFunction, class Name>
Outcome moveThrough(const MoveFunction& move, const Name& from, const Name& temporary,
                    const Name& to) {
    if (const auto error = move(from, temporary)) return {error};
    const auto error = move(temporary, to);
    if (!error) return {};
    return {error, static_cast<bool>(move(temporary, from))};
}

std::string failureText(std::string_view fromName, std::string_view toName,
                        const std::error_code& error) {
    std::string text = "Couldn't rename \u201C";
    text += fromName;
    text += "\u201D to \u201C";
    text += toName;
    text += "\u201D: ";
    text += error.message();
    return text;
}

std::string failureMessage(std::string_view fromName, std::string_view toName,
                           std::string_view temporaryName, const Outcome& outcome) {
    std::string message = failureText(fromName, toName, outcome.error);
    if (outcome.leftAtTemporary) {
        message += "; the file is now named \u201C";
        message += temporaryName;
        message += "\u201D";
    }
    return message;
}

// The path of an item's file as text, followed by a NUL.
std::string_view pathText(const RenamePlan::Item& item) {
    return item.path;
}

}  // namespace

Batch::Batch(const RenamePlan& plan) : plan_(&plan) {
    for (std::size_t i = 0; i < plan.items.size(); ++i) {
        const RenamePlan::Item& item = plan.items[i];
        if (item.problem || !item.isChanged()) continue;
        const auto move = static_cast<std::uint32_t>(items_.size());
        items_.push_back(static_cast<std::uint32_t>(i));
        if (text::differsOnlyInCase(fromName(move), item.newName)) {
            temporaries_.emplace_back(move, Uuid::random());
        }
    }
}

Batch::Batch(const RenamePlan& plan, const MoveOrder& order) : plan_(&plan) {
    const std::vector<std::uint32_t> moving = movingItems(plan);
    // The order counts moves in plan order; this batch counts them as they finish.
    std::vector<std::uint32_t> place(moving.size());
    items_.reserve(moving.size());
    for (const std::uint32_t move : order.finished) {
        place[move] = static_cast<std::uint32_t>(items_.size());
        items_.push_back(moving[move]);
        if (!order.temporaries[move].empty()) {
            named_.emplace_back(place[move], order.temporaries[move]);
        }
    }
    using OrderLeg = MoveOrder::Leg;
    const auto& given = order.steps;
    steps_.reserve(given.size());
    for (std::size_t s = 0; s < given.size(); ++s) {
        const MoveOrder::Step& step = given[s];
        // A cycle of two: its file steps aside, the other file takes its name
        // whole, and it comes back for the other's. The middle step being whole
        // means neither move changes letter case only (a swap of "a" and "A"),
        // which keeps to the temporary name.
        if (step.leg == OrderLeg::toTemporary && s + 2 < given.size() &&
            given[s + 1].leg == OrderLeg::whole &&
            given[s + 2] == MoveOrder::Step{step.move, OrderLeg::fromTemporary}) {
            steps_.push_back({place[given[s + 1].move], Leg::exchange});
            s += 2;
            continue;
        }
        const Leg leg = step.leg == OrderLeg::whole         ? Leg::whole
                        : step.leg == OrderLeg::toTemporary ? Leg::toTemporary
                                                            : Leg::fromTemporary;
        steps_.push_back({place[step.move], leg});
    }
}

// As PathNames::folder and PathNames::name give them, without copies.
std::string_view Batch::folder(std::size_t move) const {
    return PathNames::folderView(pathText(item(move)));
}

std::string_view Batch::fromName(std::size_t move) const {
    return PathNames::nameView(pathText(item(move)));
}

const Uuid* Batch::temporaryOf(std::size_t move) const {
    const auto found = std::lower_bound(temporaries_.begin(), temporaries_.end(), move,
                                        [](const std::pair<std::uint32_t, Uuid>& entry,
                                           std::size_t index) { return entry.first < index; });
    if (found == temporaries_.end() || found->first != move) return nullptr;
    return &found->second;
}

const std::string* Batch::namedOf(std::size_t move) const {
    const auto found = std::lower_bound(
        named_.begin(), named_.end(), move,
        [](const std::pair<std::uint32_t, std::string>& entry, std::size_t index) {
            return entry.first < index;
        });
    if (found == named_.end() || found->first != move) return nullptr;
    return &found->second;
}

bool Batch::hasTemporary(std::size_t move) const {
    return steps_.empty() ? temporaryOf(move) != nullptr : namedOf(move) != nullptr;
}

bool Batch::temporaryName(std::size_t move, std::string& out) const {
    if (!steps_.empty()) {
        const std::string* name = namedOf(move);
        if (name != nullptr) out = *name;
        return name != nullptr;
    }
    const Uuid* id = temporaryOf(move);
    if (id != nullptr) uuidName(*id, toName(move), out);
    return id != nullptr;
}

std::string_view Batch::fromPath(std::size_t move) const {
    return pathText(item(move));
}

namespace {

// PathNames::child as text.
void childPath(std::string_view folder, std::string_view name, std::string& out) {
    out.assign(folder);
    if (out.empty() || out.back() != '/') out += '/';
    out += name;
}

}  // namespace

void Batch::destinationPath(std::size_t move, std::string& out) const {
    childPath(folder(move), toName(move), out);
}

void Batch::temporaryPath(std::size_t move, std::string& out) const {
    std::string name;
    temporaryName(move, name);
    childPath(folder(move), name, out);
}

template <class Visit>
void Batch::inFolders(Visit&& visit) const {
    std::optional<FileSystem::Folder> open;
    std::string_view openText;
    for (std::size_t move = 0; move < size(); ++move) {
        const std::string_view text = folder(move);
        if (!open || text != openText) {
            open.emplace(std::string(text));
            openText = text;
        }
        visit(move, *open);
    }
}

namespace {

// A name of the plan as the system takes it: NUL-terminated where it ends its
// path already (every plain file name), else copied into `scratch`.
const char* terminated(std::string_view name, std::string_view whole, std::string& scratch) {
    if (name.data() + name.size() == whole.data() + whole.size()) return name.data();
    scratch.assign(name);
    return scratch.c_str();
}

}  // namespace

std::vector<std::optional<FileSystem::FileId>> Batch::identities() const {
    // A folder with many moves is read once rather than asked about each file,
    // or not again when the plan's read of it still holds.
    const auto pathOf = [&](std::size_t move) {
        return PathNames::trimmedOfTrailingSlashes(pathText(item(move)));
    };
    if (plan_->folders) return plan_->folders->identities(size(), pathOf);
    return FileSystem::identities(size(), pathOf);
}

void Batch::perform(const std::function<void(std::size_t, const Applied::Failure*)>& done) const {
    if (!steps_.empty()) {
        performSteps(done);
        return;
    }
    std::string scratch;
    std::string temporaryText;
    auto temporary = temporaries_.begin();
    inFolders([&](std::size_t move, const FileSystem::Folder& folder) {
        const RenamePlan::Item& moved = item(move);
        const std::string_view fromText = fromName(move);
        const char* from = terminated(fromText, pathText(moved), scratch);
        const char* to = moved.newName.data();
        const std::string* through = nullptr;
        if (temporary != temporaries_.end() && temporary->first == move) {
            uuidName(temporary->second, moved.newName, temporaryText);
            through = &temporaryText;
            ++temporary;
        }
        const auto makeMove = [&](const char* a, const char* b) { return folder.move(a, b); };
        const Outcome outcome = through ? moveThrough(makeMove, from, through->c_str(), to)
                                        : Outcome{folder.move(from, to)};
        if (!outcome.error) {
            if (done) done(move, nullptr);
            return;
        }
        const Applied::Failure failure{
            Location(moved.path),
            failureMessage(fromText, moved.newName,
                           through ? std::string_view(*through) : std::string_view{}, outcome)};
        if (done) done(move, &failure);
    });
}

void Batch::performSteps(
    const std::function<void(std::size_t, const Applied::Failure*)>& done) const {
    std::optional<FileSystem::Folder> open;
    std::string_view openText;
    // Whether the open folder's file system has refused an exchange: its
    // other swaps go through their temporary names without asking again.
    bool exchangeRefused = false;
    std::string scratch;
    // Moves whose first step failed: their file stays where it is, and their
    // last step isn't tried.
    std::vector<bool> stopped(size(), false);
    const auto report = [&](std::size_t move, std::string_view temporary, const Outcome& outcome) {
        if (!done) return;
        if (!outcome.error) {
            done(move, nullptr);
            return;
        }
        const Applied::Failure failure{
            Location(item(move).path), failureMessage(fromName(move), toName(move), temporary, outcome)};
        done(move, &failure);
    };
    const auto make = [&](std::size_t move, Leg leg) {
        const char* from = terminated(fromName(move), pathText(item(move)), scratch);
        const char* to = toName(move).data();
        if (leg == Leg::whole) {
            report(move, {}, {open->move(from, to)});
            return;
        }
        const std::string& temporary = *namedOf(move);
        if (leg == Leg::toTemporary) {
            if (const auto error = open->move(from, temporary.c_str())) {
                stopped[move] = true;
                report(move, {}, {error});
            }
            return;
        }
        if (stopped[move]) return;
        Outcome outcome{open->move(temporary.c_str(), to)};
        // Back to its old name when the last step fails; that name may have been
        // taken meanwhile by another file of a cycle, and then the file stays
        // under its temporary name, which the journal records.
        if (outcome.error) outcome.leftAtTemporary = static_cast<bool>(open->move(temporary.c_str(), from));
        report(move, temporary, outcome);
    };
    for (const Step& step : steps_) {
        const std::size_t move = step.move;
        const std::string_view folderText = folder(move);
        if (!open || folderText != openText) {
            open.emplace(std::string(folderText));
            openText = folderText;
            exchangeRefused = false;
        }
        if (step.leg != Leg::exchange) {
            make(move, step.leg);
            continue;
        }
        // The two files trade names in one step, so neither is ever without
        // one. An exchange changes nothing when it fails: then the swap is made
        // as the order gives it, whose steps report each file's own failure.
        if (!exchangeRefused) {
            const char* first = terminated(fromName(move), pathText(item(move)), scratch);
            const std::error_code error = open->exchange(first, toName(move).data());
            if (!error) {
                report(move, {}, {});
                report(move + 1, {}, {});
                continue;
            }
            exchangeRefused = FileSystem::exchangeRefused(error);
        }
        make(move + 1, Leg::toTemporary);
        make(move, Leg::whole);
        make(move + 1, Leg::fromTemporary);
    }
}

PlannedMove Batch::planned(std::size_t move) const {
    const Location folderPath = PathNames::folder(Location(item(move).path));
    std::optional<Location> temporaryPath;
    std::string name;
    if (temporaryName(move, name)) temporaryPath = PathNames::child(folderPath, name);
    return {Location(item(move).path), PathNames::child(folderPath, std::string(item(move).newName)),
            std::move(temporaryPath), std::nullopt, std::nullopt};
}

namespace {

using Kind = UndoOutcome::Kind;

UndoOutcome moved(const Outcome& outcome) {
    if (outcome.error) return {Kind::failed, outcome.error};
    return {Kind::putBack, {}};
}

// Undo of one move, asking and moving through `at` (an entry's identity) and
// `move` (a rename of one entry to another), given the move's three names.
// With `waits`, a file whose old name is taken steps aside to its temporary
// name (or stays there) and `waits` is set: it is to take its old name once the
// rest of the batch is back.
template <class Name, class Stamp, class MoveFunction>
UndoOutcome undoThrough(const PlannedMove& move, const Name& from, const Name& to,
                        const std::optional<Name>& temporary, const Stamp& at,
                        const MoveFunction& rename, bool* waits = nullptr) {
    const auto once = [&](const Name& a, const Name& b) -> UndoOutcome {
        const std::error_code error = rename(a, b);
        if (error) return {Kind::failed, error};
        return {Kind::putBack, {}};
    };
    const auto through = [&](const Name& a, const Name& via, const Name& b) -> UndoOutcome {
        return moved(moveThrough(rename, a, via, b));
    };
    if (!move.identity) {
        if (const auto via = temporaryFor(move.to, move.from)) {
            if constexpr (std::is_same_v<Name, Location>) {
                return through(to, *via, from);
            } else {
                return through(to, PathNames::name(*via), from);
            }
        }
        return once(to, from);
    }
    // The file is ours when its device and inode are those recorded and, when a
    // birth time was recorded, so is its birth: an inode number reused by a new
    // file since is told apart by it.
    const auto ours = [&](const std::optional<FileSystem::Stamp>& found) {
        return found && found->id == *move.identity && (!move.birth || found->birth == move.birth);
    };
    const auto taken = [](const UndoOutcome& outcome) {
        return outcome.kind == Kind::failed && outcome.error == std::errc::file_exists;
    };
    const auto atNewName = at(to);
    if (ours(atNewName)) {
        // A case-only change goes back through its recorded temporary name, so
        // that an interruption leaves the file where the journal can find it.
        if (temporary && text::differsOnlyInCase(PathNames::name(move.from), PathNames::name(move.to))) {
            return through(to, *temporary, from);
        }
        const UndoOutcome outcome = once(to, from);
        if (waits != nullptr && temporary && taken(outcome) && !rename(to, *temporary)) {
            *waits = true;
        }
        return outcome;
    }
    if (temporary && ours(at(*temporary))) {
        const UndoOutcome outcome = once(*temporary, from);
        if (waits != nullptr && taken(outcome)) *waits = true;
        return outcome;
    }
    if (ours(at(from))) return {Kind::notMoved, {}};
    return {atNewName ? Kind::anotherFile : Kind::missing, {}};
}

UndoOutcome undoOne(const PlannedMove& move) {
    return undoThrough<Location>(
        move, move.from, move.to, move.temporary,
        [](const Location& path) { return FileSystem::stamp(path); },
        [](const Location& a, const Location& b) { return FileSystem::move(a, b); });
}

}  // namespace

UndoOutcome undoChecked(const PlannedMove& move) {
    return undoOne(move);
}

UndoOutcome undoChecked(const PlannedMove& move, const FileSystem::Folder& folder) {
    std::optional<std::string> temporary;
    if (move.temporary) temporary = PathNames::name(*move.temporary);
    return undoThrough<std::string>(
        move, PathNames::name(move.from), PathNames::name(move.to), temporary,
        [&](const std::string& name) { return FileSystem::stamp(folder, name.c_str()); },
        [&](const std::string& a, const std::string& b) {
            return folder.move(a.c_str(), b.c_str());
        });
}

std::vector<UndoOutcome> undoBatch(
    const std::vector<PlannedMove>& moves, const std::vector<bool>& take,
    const std::function<void(std::size_t done, std::size_t total)>& progress) {
    std::vector<UndoOutcome> outcomes(moves.size(), UndoOutcome{Kind::notMoved, {}});
    // Runs of moves in one folder share it, held open.
    std::optional<FileSystem::Folder> folder;
    const auto folderOf = [&](const PlannedMove& move) -> const FileSystem::Folder& {
        const std::string_view fromText = move.from.native();
        const std::size_t slash = fromText.rfind('/');
        const std::string_view folderText = slash == std::string_view::npos ? "."
                                            : slash == 0                    ? "/"
                                                                            : fromText.substr(0, slash);
        if (!folder || folder->path() != folderText) folder.emplace(std::string(folderText));
        return *folder;
    };
    const auto names = [](const PlannedMove& move) {
        std::optional<std::string> temporary;
        if (move.temporary) temporary = PathNames::name(*move.temporary);
        return std::tuple{PathNames::name(move.from), PathNames::name(move.to), temporary};
    };
    std::vector<std::size_t> waiting;
    for (std::size_t i = moves.size(); i-- > 0;) {
        if (progress) progress(moves.size() - 1 - i, moves.size());
        if (!take[i]) continue;
        const PlannedMove& move = moves[i];
        const FileSystem::Folder& in = folderOf(move);
        const auto [from, to, temporary] = names(move);
        bool waits = false;
        outcomes[i] = undoThrough<std::string>(
            move, from, to, temporary,
            [&](const std::string& name) { return FileSystem::stamp(in, name.c_str()); },
            [&](const std::string& a, const std::string& b) { return in.move(a.c_str(), b.c_str()); },
            &waits);
        if (waits) waiting.push_back(i);
    }
    // Every other file is back: the old names of those waiting are free now,
    // unless a file of the batch couldn't be put back.
    for (const std::size_t i : waiting) {
        const FileSystem::Folder& in = folderOf(moves[i]);
        const auto [from, to, temporary] = names(moves[i]);
        if (const std::error_code error = in.move(temporary->c_str(), from.c_str())) {
            (void)in.move(temporary->c_str(), to.c_str());
            outcomes[i] = {Kind::failed, error};
        } else {
            outcomes[i] = {Kind::putBack, {}};
        }
    }
    return outcomes;
}

}  // namespace tavix::RenameEngine
