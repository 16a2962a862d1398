#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

// A folder of small files kept whole (presets, settings): each is written
// complete under a hidden name and then moved into place, so a reader sees the
// old file or the new one and never part of either, whatever fails meanwhile.
namespace tavix::FileSystem {

// The names of the regular files in `folder` (links followed), in the order
// the folder gives them. A missing folder is ENOENT.
std::vector<std::string> regularFileNames(const std::filesystem::path& folder,
                                          std::error_code& error);

// Writes `contents` to `path`, making its folder (and missing parents) first.
// The bytes go to a new file beside it whose name starts with "." and are made
// durable before the file takes the name. Without `replace`, an entry already
// at `path` (a file, a link, anything) is never replaced: EEXIST. With it,
// the entry is replaced in one atomic step. On failure nothing is left behind.
std::error_code saveWhole(const std::filesystem::path& path, std::string_view contents,
                          bool replace);

// Removes the entry at `path` (a link itself, not what it points to); never a
// folder.
std::error_code removeFile(const std::filesystem::path& path);

}  // namespace tavix::FileSystem
