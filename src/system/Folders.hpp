#pragma once

#include <filesystem>
#include <system_error>

// Making folders and making their entries durable.
namespace tavix::FileSystem {

// Makes `folder` and any missing parents (new folders readable by the owner only).
std::error_code createFolders(const std::filesystem::path& folder);

// Flushes the entry list of `folder` to disk, so that a file just created,
// renamed or removed in it stays so after a power cut. File systems that can't
// sync a folder answer success: the files' own syncs are what they offer.
std::error_code syncFolder(const std::filesystem::path& folder);

}  // namespace tavix::FileSystem
