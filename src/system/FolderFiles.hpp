#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

// The names in one folder and the system's reading of a folder's path: what
// keeping a folder of journals asks beyond reading and writing them (files are
// removed with removeFile, FileStore.hpp).
namespace tavix::FileSystem {

// The names of the entries of `folder` ("." and ".." left out), in no order.
std::vector<std::string> namesIn(const std::filesystem::path& folder, std::error_code& error);
// The path of the folder `folder` with its links, "." and ".." resolved by the
// system; nothing when it can't be reached.
std::optional<std::string> resolvedFolder(const std::string& folder);

}  // namespace tavix::FileSystem
