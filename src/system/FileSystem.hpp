#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "text/PathNames.hpp"

// The operations Tavix asks of the file system, gathered in one place. Every
// other layer reaches the disk only through these; a port replaces this folder.
namespace tavix::FileSystem {

using Path = std::filesystem::path;
using Timestamp = std::chrono::sys_time<std::chrono::nanoseconds>;

// The path-name helpers, for callers that also reach the disk.
using PathNames::child;
using PathNames::extension;
using PathNames::folder;
using PathNames::name;
using PathNames::nameExtension;

// Whether something exists at `path`, following symbolic links.
bool exists(const Path& path);

struct ExistsAndKind {
    bool exists = false;
    bool isFolder = false;
    friend bool operator==(const ExistsAndKind&, const ExistsAndKind&) = default;
};
ExistsAndKind existsAndKind(const Path& path);

// Whether something other than `self` exists at `destination` (links followed):
// the file itself, reached under another spelling on a file system that ignores
// letter case, does not count.
bool existsOtherThan(const Path& destination, const Path& self);

// existsOtherThan for `name` in the folder of `url`, against `url` itself,
// without building paths: the plan asks this once per changed file.
bool existsBeside(const Path& url, std::string_view name);

// Renames `from` to `to` within one folder, never replacing an existing file.
// Returns nothing on success, else one line naming the file and the system's
// reason: ‘Couldn't rename “a.txt” to “b.txt”: Permission denied’. Where the file
// system refuses an exclusive rename, a hard link to the new name followed by
// removing the old one stands in; where it has no hard links either, the move
// fails rather than risk replacing a file.
std::optional<std::string> move(const Path& from, const Path& to);

struct ResourceValues {
    std::optional<std::uint64_t> size;
    std::optional<Timestamp> created;  // absent where the file system records no birth time
    std::optional<Timestamp> modified;
    std::optional<std::string> kind;  // localized description, "JPEG image"
};
// Size, dates and kind in one request (one statx, links followed); nothing when
// the file can't be reached. The kind may read the file's first bytes.
std::optional<ResourceValues> resourceValues(const Path& url);
// The same without the kind: one statx and nothing else, for listings.
std::optional<ResourceValues> sizeAndDates(const Path& url);

// The content modification time alone (one statx), or nothing.
std::optional<Timestamp> modificationTime(const Path& url);

// Tests only: a fault the machine can't produce on demand (running as root
// ignores permission bits). While a fault is set, move() asks it first and, when it
// answers an errno, fails with that error without touching the disk. An empty
// function clears it. Not thread-safe; set and clear it around the test.
namespace testing {
void failMovesTo(std::function<std::optional<int>(const Path& from, const Path& to)> fault);
}  // namespace testing

}  // namespace tavix::FileSystem
