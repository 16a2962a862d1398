#include "engine/Perform.hpp"

#include <optional>

#include "engine/Uuid.hpp"
#include "text/CaseMapping.hpp"
#include "text/Utf.hpp"
#include "system/FileSystem.hpp"
#include "text/CanonicalText.hpp"

namespace tavix::RenameEngine {
namespace {

using Path = std::filesystem::path;

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
    return FileSystem::child(FileSystem::folder(url), temporary);
}

// The system's reason at the end of a move failure's message.
std::string reasonOf(const std::string& message) {
    const auto colon = message.rfind("\u201D: ");
    return colon == std::string::npos ? message : message.substr(colon + 5);
}

std::string failureText(const Path& from, const Path& to, const std::string& reason) {
    return "Couldn't rename \u201C" + FileSystem::name(from) + "\u201D to \u201C" +
           FileSystem::name(to) + "\u201D: " + reason;
}

// Moves `from` to `to`, whose names differ only in letter case, through a
// temporary name so that file systems that ignore case accept it. If the
// second step fails the file goes back to `from`; only if that fails too does
// it stay under the temporary name, which the message then gives.
std::optional<std::string> moveChangingCase(const Path& from, const Path& to) {
    const Path temporary = temporaryBeside(from, FileSystem::name(to));
    if (auto failed = FileSystem::move(from, temporary)) {
        return failureText(from, to, reasonOf(*failed));
    }
    const auto failed = FileSystem::move(temporary, to);
    if (!failed) return std::nullopt;
    std::string message = failureText(from, to, reasonOf(*failed));
    if (FileSystem::move(temporary, from)) {
        message += "; the file is now named \u201C" + FileSystem::name(temporary) + "\u201D";
    }
    return message;
}

std::optional<std::string> moveFile(const Path& from, const Path& to) {
    if (differsOnlyInCase(FileSystem::name(from), FileSystem::name(to))) {
        return moveChangingCase(from, to);
    }
    return FileSystem::move(from, to);
}

}  // namespace

Applied perform(const RenamePlan& plan) {
    Applied applied;
    for (const auto& item : plan.items) {
        if (item.problem || !item.isChanged()) continue;
        const Path destination = FileSystem::child(FileSystem::folder(item.url), item.newName);
        if (auto failed = moveFile(item.url, destination)) {
            applied.failures.push_back({item.url, std::move(*failed)});
        } else {
            applied.moves.push_back({item.url, destination});
        }
    }
    return applied;
}

std::vector<bool> undoEach(const std::vector<Move>& moves) {
    std::vector<bool> putBack(moves.size(), false);
    for (std::size_t i = moves.size(); i-- > 0;) {
        putBack[i] = !moveFile(moves[i].to, moves[i].from).has_value();
    }
    return putBack;
}

std::int64_t undo(const std::vector<Move>& moves) {
    std::int64_t count = 0;
    for (bool done : undoEach(moves)) count += done ? 1 : 0;
    return count;
}

}  // namespace tavix::RenameEngine
