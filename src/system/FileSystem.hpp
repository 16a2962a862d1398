#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "text/Location.hpp"
#include "text/PathNames.hpp"

// The operations Tavix asks of the file system, gathered in one place. Every
// other layer reaches the disk only through these; a port replaces this folder.
namespace tavix::FileSystem {

using Timestamp = std::chrono::sys_time<std::chrono::nanoseconds>;

// Whether something exists at `path`, following symbolic links.
bool exists(const Location& path);

struct ExistsAndKind {
    bool exists = false;
    bool isFolder = false;
    friend bool operator==(const ExistsAndKind&, const ExistsAndKind&) = default;
};
ExistsAndKind existsAndKind(const Location& path);

// What makes a directory entry's file itself: its device and inode.
struct FileId {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    friend bool operator==(const FileId&, const FileId&) = default;
};
// The identity of the entry at `path` itself (a symbolic link is not followed),
// or nothing when there is none.
std::optional<FileId> identity(const Location& path);

// Renames `from` to `to` within one folder, never replacing an existing file.
// Returns the system's error, empty on success (EEXIST when `to` is taken).
// Where the file system refuses an exclusive rename, a hard link to the new name
// followed by removing the old one stands in; where it has no hard links either,
// the move fails rather than risk replacing a file.
std::error_code move(const Location& from, const Location& to);

// A folder held open (O_PATH) for the moves of a batch within it: each move
// names its two entries relative to the folder, so the folder's path is walked
// once rather than twice per file. Moves follow move()'s rules exactly (never
// replacing, the same fallback).
class Folder {
public:
    // Opens `path`; a folder that can't be opened keeps its error, and every
    // move in it fails with that error.
    explicit Folder(std::string path);
    ~Folder();
    Folder(Folder&& other) noexcept;
    Folder& operator=(Folder&& other) noexcept;
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    const std::string& path() const { return path_; }
    // The open folder (O_PATH), for asking about its entries; -1 when it
    // couldn't be opened.
    int descriptor() const { return fd_; }

    // Renames the entry `from` to `to`, both names in this folder.
    std::error_code move(const char* from, const char* to) const;
    // Swaps the entries `a` and `b` of this folder in one atomic step: each
    // file takes the other's name, and neither is ever without one. Fails,
    // changing nothing, when either is missing, and where the file system has
    // no such step (EINVAL, ENOSYS or EOPNOTSUPP; see exchangeRefused).
    std::error_code exchange(const char* a, const char* b) const;

private:
    std::string path_;
    int fd_ = -1;
    int error_ = 0;
};

// Whether `error` from Folder::exchange means the file system can't swap two
// names in one step at all, rather than that these two couldn't be.
bool exchangeRefused(const std::error_code& error);

struct ResourceValues {
    std::optional<std::uint64_t> size;
    std::optional<Timestamp> created;  // absent where the file system records no birth time
    std::optional<Timestamp> modified;
    std::optional<std::string> kind;  // localized description, "JPEG image"
};
// Size, dates and kind in one request (one statx, links followed); nothing when
// the file can't be reached. The kind may read the file's first bytes.
std::optional<ResourceValues> resourceValues(const Location& path);
// The same without the kind: one statx and nothing else, for listings.
std::optional<ResourceValues> sizeAndDates(const Location& path);

// The content modification time alone (one statx), or nothing.
std::optional<Timestamp> modificationTime(const Location& path);

}  // namespace tavix::FileSystem
