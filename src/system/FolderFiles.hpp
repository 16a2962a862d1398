#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

// The names in one folder, and removing a file from it: what keeping a folder
// of journals asks beyond reading and writing them.
namespace tavix::FileSystem {

// The names of the entries of `folder` ("." and ".." left out), in no order.
std::vector<std::string> namesIn(const std::filesystem::path& folder, std::error_code& error);
// The path of the folder `folder` with its links, "." and ".." resolved by the
// system; nothing when it can't be reached.
std::optional<std::string> resolvedFolder(const std::string& folder);
// Removes the file (never a folder) at `path`.
std::error_code removeFile(const std::filesystem::path& path);

}  // namespace tavix::FileSystem
