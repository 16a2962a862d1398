#include "journal/StateFolder.hpp"

#include <cstdlib>

#include "journal/JournalError.hpp"
#include "system/Folders.hpp"
#include "system/FileStatus.hpp"

namespace tavix::journal {

namespace fs = std::filesystem;

std::string_view rawValue(JournalState state) {
    switch (state) {
        case JournalState::pending:
            return "pending";
        case JournalState::complete:
            return "complete";
        case JournalState::undone:
            break;
    }
    return "undone";
}

fs::path defaultStateFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && state[0] == '/') return fs::path(state) / "tavix";
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return fs::path(home) / ".local/state/tavix";
    return {};
}

fs::path journalFolder(const fs::path& stateFolder) {
    return stateFolder / "journals";
}

std::optional<std::string> folderDistrust(const fs::path& folder) {
    const auto found = FileSystem::status(folder);
    if (!found) return "it can't be read";
    if (!found->folder) return "not a folder";
    if (found->owner != FileSystem::currentUser()) return "owned by another user";
    if (FileSystem::writableByOthers(found->mode, false)) return "writable by others";
    return std::nullopt;
}

std::optional<std::string> fileDistrust(const FileSystem::Descriptor& file) {
    const auto found = FileSystem::status(file);
    if (!found) return "it can't be read";
    if (!found->regular) return "not a regular file";
    if (found->owner != FileSystem::currentUser()) return "owned by another user";
    if (FileSystem::writableByOthers(found->mode, true)) return "writable by group or others";
    return std::nullopt;
}

void prepareJournalFolder(const fs::path& folder) {
    if (const auto error = FileSystem::createFolders(folder)) {
        throw JournalError("journal folder \u201C" + folder.string() +
                           "\u201D: " + error.message() + "; nothing was renamed");
    }
    if (const auto why = folderDistrust(folder)) {
        throw JournalError("journal folder \u201C" + folder.string() +
                           "\u201D is not safe: " + *why + "; nothing was renamed");
    }
}

bool isJournalName(const std::string& name) {
    return name.size() > 6 && name[0] != '.' &&
           (name.ends_with(".jsonl") || name.ends_with(".json"));
}

}  // namespace tavix::journal
