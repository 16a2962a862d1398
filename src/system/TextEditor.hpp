#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

// Handing a text to the user's editor and getting it back.
namespace tavix::FileSystem {

// Writes `text` into a new file of the system's temporary folder, readable by
// the owner only and never over an existing file ("tavix-edit-XXXXXX.txt").
// Empty on failure, with `error` set.
std::filesystem::path createScratchFile(std::string_view text, std::error_code& error);

// Runs `command` (a shell command line such as "vi" or "code --wait") with
// `file` as its last argument, on this process's terminal, and waits for it.
// Returns its exit status; 128 + the signal's number when a signal ended it;
// -1 with `error` set when it couldn't be started.
int runEditor(const std::string& command, const std::filesystem::path& file,
              std::error_code& error);

// Removes a scratch file; a failure is ignored.
void removeScratchFile(const std::filesystem::path& file);

}  // namespace tavix::FileSystem
