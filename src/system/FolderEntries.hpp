#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "system/FileSystem.hpp"
#include "text/Location.hpp"

// Existence tests for many names at once: one read of a folder's entries
// answers every name asked about in it, where that gives exactly the answer of
// one lstat per name and costs less.
namespace tavix::FileSystem {

// When a folder's entries are read rather than each name looked up: as judged
// best from the folder's size and the number of names (what the programs do),
// whenever there is a folder that can be read, or never (for comparing the two).
enum class FolderReads { judged, always, never };

// Which of some names are entries of one folder, spelled byte for byte, from
// one pass over its entries (getdents64). Only on a volume known to compare
// names byte for byte (tmpfs, ext2/3/4, btrfs, f2fs), in a folder that doesn't
// fold letter case: there, an entry spelled exactly like a name is what lstat
// of that name finds. Every other volume may ignore case or normalise names, so
// its folders are left to lstat.
class FolderEntries {
public:
    enum class Outcome {
        read,        // the folder was read: found() answers every name
        foldsNames,  // its volume may compare names otherwise, or can't be told
        notWorthIt,  // the folder is too large for so few names: an lstat each costs less
        unreadable,  // it can't be opened or read (missing, not a folder, no permission)
    };

    // The names asked about, by index.
    using Names = std::function<std::string_view(std::size_t)>;

    // Looks for names(0) to names(count-1) among the entries of `folder` (a path
    // the kernel takes; "." for the current folder). A name that can't be a
    // single entry's (empty, ".", "..", holding "/" or NUL) is never found.
    // `withIdentities` also keeps each found entry's identity.
    FolderEntries(const std::string& folder, std::size_t count, const Names& names,
                  bool withIdentities = false, FolderReads reads = FolderReads::judged);

    Outcome outcome() const { return outcome_; }
    // Whether names(i) is an entry of the folder; false unless outcome() is read.
    bool found(std::size_t i) const { return found_[i] != 0; }
    // The type the folder gives a found entry (DT_REG, DT_DIR, DT_LNK, …;
    // DT_UNKNOWN where the volume doesn't say).
    unsigned char type(std::size_t i) const { return static_cast<unsigned char>(found_[i] - 1); }
    // A found entry's identity as lstat gives it (the folder's device and the
    // entry's inode), when asked for `withIdentities`.
    FileId identity(std::size_t i) const { return {.device = device_, .inode = inodes_[i]}; }

private:
    Outcome outcome_ = Outcome::unreadable;
    std::vector<unsigned char> found_;  // 0, or 1 + the entry's type
    std::vector<std::uint64_t> inodes_;
    std::uint64_t device_ = 0;
};

// One question of existsBeside: would renaming `path` to `name` in its folder
// meet an entry already there?
struct BesideQuestion {
    std::string_view path;
    std::string_view name;
};

// existsBeside(path, name) for questions 0 to count-1, in order, with exactly its
// answers. The questions are gathered by folder; a folder asked about often
// enough for its size is read once (FolderEntries) and only names found in it
// are looked at further; every other question is answered by existsBeside.
// `question` may be called several times for each index; the text it points to
// must stay put until the call returns.
std::vector<bool> existBeside(std::size_t count,
                              const std::function<BesideQuestion(std::size_t)>& question,
                              FolderReads reads = FolderReads::judged);

// existsAndKind(path) for every one of `paths`, with exactly its answers: a
// folder holding enough of them for its size is read once, and only links
// among its entries (and entries of no given type) are looked at further.
std::vector<ExistsAndKind> existAndKinds(const std::vector<Location>& paths,
                                         FolderReads reads = FolderReads::judged);

// identity(path(i)) for i from 0 to count-1, with the same answers: a folder
// holding enough of the paths for its size is read once instead.
std::vector<std::optional<FileId>> identities(
    std::size_t count, const std::function<std::string_view(std::size_t)>& path,
    FolderReads reads = FolderReads::judged);

}  // namespace tavix::FileSystem
