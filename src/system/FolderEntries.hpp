#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "system/FileSystem.hpp"
#include "text/Location.hpp"

// Existence tests for many names at once: one read of a folder's entries
// answers every name asked about in it, where that gives exactly the answer of
// one lstat per name and costs less. The read is kept (FolderSnapshots) and
// answers the next questions about the same folder for as long as the folder
// provably hasn't changed.
namespace tavix::FileSystem {

// When a folder's entries are read rather than each name looked up: as judged
// best from the folder's size and the number of names (what the programs do),
// whenever there is a folder that can be read, or never (for comparing the two).
enum class FolderReads { judged, always, never };

// Every entry of one folder, from one pass over its entries (getdents64). Only
// on a volume known to compare names byte for byte (tmpfs, ext2/3/4, btrfs,
// f2fs), in a folder that doesn't fold letter case: there, an entry spelled
// exactly like a name is what lstat of that name finds. Every other volume may
// ignore case or normalise names, so its folders are left to lstat.
// What is kept of each entry is a 32-bit key of its name (its hash's low half)
// and its inode, 12 bytes where the name itself takes some tens: a name no
// entry's key matches is certainly not there, and one whose key matches is,
// unless another name shares the key (about one in four billion), which is
// why an answer that must be exact is confirmed by lstat. Whoever needs more
// of each entry is shown it while the folder is read.
class FolderSnapshot {
public:
    enum class Outcome {
        read,        // the folder was read: find() answers every name
        foldsNames,  // its volume may compare names otherwise, or can't be told
        notWorthIt,  // the folder is too large for so few names: an lstat each costs less
        unreadable,  // it can't be opened or read (missing, not a folder, no permission)
    };

    // Each entry as the read meets it: its name, the name's hash (hashOf) and
    // its type (DT_REG, DT_DIR, DT_LNK, …; DT_UNKNOWN where the volume doesn't say).
    using Visit = std::function<void(std::string_view name, std::size_t hash, unsigned char type)>;

    // Reads `folder` (a path the kernel takes; "." for the current folder) when
    // `reads` says so; judged, when `asked` names are few enough for its size.
    // `visit`, when given, sees every entry; should the read not complete, it
    // may have seen some and outcome() isn't read.
    FolderSnapshot(const std::string& folder, std::size_t asked, FolderReads reads,
                   const Visit& visit = {});

    static std::size_t hashOf(std::string_view name) { return std::hash<std::string_view>{}(name); }

    // What the read tells of a name: how many entries' names share its key (0:
    // no entry is spelled `name`), and when one does, its inode: that of the
    // entry spelled `name` if there is one. Nothing is found unless outcome()
    // is read, nor for a name that can't be a single entry's (empty, ".",
    // "..", holding "/" or NUL).
    struct Found {
        std::size_t sharing = 0;
        std::uint64_t inode = 0;
    };
    Found find(std::string_view name) const;

    Outcome outcome() const { return outcome_; }
    // The device of the folder, which its entries share (but an entry that is
    // a mount point).
    std::uint64_t device() const { return device_; }
    // Whether names in the folder can be looked up (search permission), as
    // well as read.
    bool searchable() const { return searchable_; }
    // Whether `status` (a stat of the folder's path now) shows the very folder
    // read, untouched since: the same device and inode, the same modification
    // and change times, and a read made in a later second than both (so that a
    // change in the same tick as the read, which could leave the times as they
    // were, can't go unnoticed). Any entry added, removed or renamed, and any
    // change of permissions, moves the change time.
    bool stillMatches(const struct stat& status) const;

private:
    void read(int fd, std::size_t expected, const Visit& visit);
    std::size_t bucketOf(std::size_t hash) const;

    Outcome outcome_ = Outcome::unreadable;
    // The entries grouped by bucket (their keys scaled to about an eighth of
    // their number): bucket b's are from starts_[b] to starts_[b + 1].
    std::vector<std::uint32_t> starts_;
    std::vector<std::uint32_t> keys_;  // each entry's key: its name's hash's low half
    std::vector<std::uint64_t> inodes_;
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
    struct timespec modified_ = {};
    struct timespec changed_ = {};
    bool settled_ = false;
    bool searchable_ = false;
};

// Would renaming `path` to `name` in its folder meet something already there?
// Any directory entry at that name counts (a symbolic link, even a dangling one
// or one to the file itself, and another hard link of the file), except the
// file's own entry reached under another spelling of letter case on a file
// system that ignores case. When `path` itself is gone, any entry at the name
// counts.
struct BesideQuestion {
    std::string_view path;
    std::string_view name;
};

// The folders read for a batch, kept for its later questions (and for the
// window's next plan): a kept read answers only while the folder's path still
// leads to the same folder, unchanged since the read (FolderSnapshot::
// stillMatches, one stat per folder and question); any other folder is read
// again, or left to lstat, as judged anew. Every answer is the one a fresh
// lstat per name would give. Not thread-safe.
class FolderSnapshots {
public:
    explicit FolderSnapshots(FolderReads reads = FolderReads::judged) : reads_(reads) {}

    // The answers to questions 0 to count-1, in order. Only names found in a
    // folder's read are looked at further; a folder without one (as with
    // FolderReads::never) leaves each question to lstat. `question` may be
    // called several times for each index; the text it points to must stay put
    // until the call returns.
    std::vector<bool> existBeside(std::size_t count,
                                  const std::function<BesideQuestion(std::size_t)>& question);

    // existsAndKind(path) for every one of `paths`, with exactly its answers:
    // only links among a read folder's entries (and entries of no given type)
    // are looked at further. The paths are found while their folders are read,
    // afresh (a kept read knows its entries' keys, not their names and types).
    std::vector<ExistsAndKind> existAndKinds(const std::vector<Location>& paths);

    // identity(path(i)) for i from 0 to count-1, with the same answers for
    // paths that name an entry (the files of a batch); for one that doesn't,
    // nothing, or in the rare case of its name sharing a key with an entry's,
    // that entry's identity.
    std::vector<std::optional<FileId>> identities(
        std::size_t count, const std::function<std::string_view(std::size_t)>& path);

    // Drops the reads of folders not asked about since the last call, so that
    // a long-lived set keeps only the folders still in use.
    void forgetUnused();

    // The kept or fresh read of `folder` (its path as the files' paths give it,
    // its last slash included; empty for the current folder), for `asked`
    // names in it; null when the folder's names are left to lstat. With
    // `visit`, the folder is read afresh (when judged worth it) and `visit`
    // sees each of its entries; what it saw counts only if the read is returned.
    const FolderSnapshot* of(std::string_view folder, std::size_t asked,
                             const FolderSnapshot::Visit& visit = {});

private:
    struct Kept {
        std::unique_ptr<FolderSnapshot> snapshot;
        bool used = true;
    };
    FolderReads reads_;
    std::unordered_map<std::string, Kept> kept_;
};

// What a FolderSnapshots answers, with a set of reads of their own made for this call.
std::vector<ExistsAndKind> existAndKinds(const std::vector<Location>& paths,
                                         FolderReads reads = FolderReads::judged);
std::vector<std::optional<FileId>> identities(
    std::size_t count, const std::function<std::string_view(std::size_t)>& path,
    FolderReads reads = FolderReads::judged);

}  // namespace tavix::FileSystem
