#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "system/Descriptor.hpp"
#include "system/FileSystem.hpp"

// Who owns a file, who may write it, and what makes it itself: its device,
// inode and, where the file system records one, its birth time. Journals use
// these to trust a file and to recognise the files of a batch.
namespace tavix::FileSystem {

struct Status {
    FileId id;
    std::uint32_t owner = 0;
    std::uint32_t mode = 0;  // permission bits and file type, as st_mode
    bool regular = false;
    bool folder = false;
    friend bool operator==(const Status&, const Status&) = default;
};
// The status of the file `file` is open on, or of the entry at `path` itself (a
// symbolic link is not followed); nothing when there is none.
std::optional<Status> status(const Descriptor& file);
std::optional<Status> status(const std::filesystem::path& path);

// The user this process runs as.
std::uint32_t currentUser();
// Whether group members or others (or, with `groupToo` false, others only) may
// write a file of this mode.
bool writableByOthers(std::uint32_t mode, bool groupToo);

// A file's identity with its birth time, as a journal records it.
struct Stamp {
    FileId id;
    std::optional<Timestamp> birth;  // absent where the file system records none
    friend bool operator==(const Stamp&, const Stamp&) = default;
};
// The stamp of the entry at `path` itself (one statx, no link followed).
std::optional<Stamp> stamp(const Location& path);
// The same for the entry `name` of a folder held open.
std::optional<Stamp> stamp(const Folder& folder, const char* name);

// The stamps of `count` entries, by index (path(i) gives the i-th path, whose
// folder part must be absolute or relative to the working folder), where the
// entry's volume records birth times: one statx per entry, spread over two
// threads when there are at least twice `perThread` (path is then called from
// both). A folder whose volume records no birth time is asked once, its
// entries not at all, and has nothing for them; so has an entry that can't be
// reached.
std::vector<std::optional<Stamp>> stampsWithBirth(
    std::size_t count, const std::function<std::string_view(std::size_t)>& path,
    std::size_t perThread = 4096);

}  // namespace tavix::FileSystem
