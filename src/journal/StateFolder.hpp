#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "system/Descriptor.hpp"

// Where journals live and which ones are trusted. Another user must not be able
// to plant a journal that our undo then follows, so journals are read from a
// folder only when the folder is ours and no one else may write it, and only
// journals that are ours and that no one else may write.
namespace tavix::journal {

// tavix's state folder: $XDG_STATE_HOME/tavix, else ~/.local/state/tavix;
// empty when neither can be found.
std::filesystem::path defaultStateFolder();
// Where journals are kept by default in a state folder: its "journals" folder.
std::filesystem::path journalFolder(const std::filesystem::path& stateFolder);

// Why the journal folder `folder` isn't trusted ("owned by another user",
// "writable by others", "not a folder"…), or nothing when it is.
std::optional<std::string> folderDistrust(const std::filesystem::path& folder);
// Why the open journal `file` isn't trusted ("owned by another user",
// "writable by group or others", "not a regular file"), or nothing.
std::optional<std::string> fileDistrust(const FileSystem::Descriptor& file);

// Makes `folder` (new folders readable by their owner only) and checks that it
// can be trusted; throws JournalError ending "nothing was renamed" otherwise.
void prepareJournalFolder(const std::filesystem::path& folder);

// Journal file names in a journal folder: the version this program writes and
// the earlier one-document form.
bool isJournalName(const std::string& name);

}  // namespace tavix::journal
