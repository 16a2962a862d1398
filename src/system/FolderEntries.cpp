#include "system/FolderEntries.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <unordered_map>

#include "system/Descriptor.hpp"
#include "system/FileSystem.hpp"
#include "system/SystemCalls.hpp"

namespace tavix::FileSystem {
namespace {

// Reading an entry costs about a tenth of an lstat of a missing name, and
// opening and judging the folder about four lstats (tavix_bench ExistBeside, on
// tmpfs and ext4): a folder is read when at least this many names are asked
// about in it and it has at most this many entries per name.
constexpr std::size_t fewestNames = 8;
constexpr std::size_t entriesPerName = 8;

// What a volume's folders tell: whether their names are compared byte for byte
// (given a folder without the case-folding flag, on the volumes that have one),
// and about how many bytes of a folder's size (st_size) one entry takes, to
// judge its length before reading it.
struct Volume {
    bool mayFoldCase;
    std::size_t bytesPerEntry;
};

std::optional<Volume> byteExactVolume(std::uint32_t type) {
    switch (type) {
        case TMPFS_MAGIC:  // every entry adds exactly 20 bytes
            return Volume{.mayFoldCase = true, .bytesPerEntry = 20};
        case EXT4_SUPER_MAGIC:  // ext2 and ext3 too: whole blocks of 8 bytes + the name
            return Volume{.mayFoldCase = true, .bytesPerEntry = 32};
        case F2FS_SUPER_MAGIC:  // whole blocks of 8-byte slots + 11 bytes each
            return Volume{.mayFoldCase = true, .bytesPerEntry = 32};
        case BTRFS_SUPER_MAGIC:  // twice the names' lengths; no case folding
            return Volume{.mayFoldCase = false, .bytesPerEntry = 24};
        default:
            return std::nullopt;
    }
}

// A name lstat looks up as one entry of the folder, spelled as given.
bool isEntryName(std::string_view name) {
    // Two scans for one byte each: find_first_of would call memchr per byte.
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

// The names asked about, in an open-addressing table of their indices.
class NameTable {
public:
    NameTable(std::size_t count, const FolderEntries::Names& names) : names_(names) {
        std::size_t capacity = 16;
        while (capacity < 2 * count) capacity *= 2;
        slots_.resize(capacity);
        mask_ = capacity - 1;
        for (std::size_t i = 0; i < count; ++i) {
            const std::string_view name = names(i);
            if (!isEntryName(name)) continue;
            const std::size_t hash = hashOf(name);
            Slot& slot = slots_[probe(name, hash)];
            if (slot.index == 0) {
                slot = {.tag = tagOf(hash), .index = static_cast<std::uint32_t>(i + 1)};
            } else {
                sameAs_.emplace_back(i, slot.index - 1);
            }
        }
    }

    // Marks the name spelled `entry`, if it's asked about, with 1 + its type,
    // and notes its inode where `inodes` has room for it.
    void mark(std::string_view entry, unsigned char type, std::uint64_t inode,
              std::vector<unsigned char>& found, std::vector<std::uint64_t>& inodes) const {
        const Slot& slot = slots_[probe(entry, hashOf(entry))];
        if (slot.index == 0) return;
        found[slot.index - 1] = static_cast<unsigned char>(1 + type);
        if (!inodes.empty()) inodes[slot.index - 1] = inode;
    }

    // Gives every repeated name the answer of its first occurrence.
    void copyToRepeats(std::vector<unsigned char>& found,
                       std::vector<std::uint64_t>& inodes) const {
        for (const auto& [repeat, first] : sameAs_) {
            found[repeat] = found[first];
            if (!inodes.empty()) inodes[repeat] = inodes[first];
        }
    }

private:
    struct Slot {
        std::uint32_t tag = 0;    // the hash's high half, to skip most comparisons
        std::uint32_t index = 0;  // 1 + the name's index; 0 for a free slot
    };

    static std::size_t hashOf(std::string_view name) { return std::hash<std::string_view>{}(name); }
    static std::uint32_t tagOf(std::size_t hash) {
        return static_cast<std::uint32_t>(static_cast<std::uint64_t>(hash) >> 32);
    }

    // The slot holding `name`, or the free slot where it would go: at most half
    // the slots are taken, so there is always one.
    std::size_t probe(std::string_view name, std::size_t hash) const {
        const std::uint32_t tag = tagOf(hash);
        for (std::size_t at = hash & mask_;; at = (at + 1) & mask_) {
            const Slot& slot = slots_[at];
            if (slot.index == 0 || (slot.tag == tag && names_(slot.index - 1) == name)) return at;
        }
    }

    const FolderEntries::Names& names_;
    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::vector<std::pair<std::size_t, std::size_t>> sameAs_;
};

// Calls `visit` with the name, type (d_type) and inode of every entry of the
// open folder `fd`; false if reading fails part way.
template <class Visit>
bool forEachEntry(int fd, Visit&& visit) {
    constexpr std::size_t bufferSize = 64 * 1024;
    // getdents64 lays its records out 8-byte aligned.
    const auto storage = std::make_unique_for_overwrite<std::uint64_t[]>(bufferSize / 8);
    char* const buffer = reinterpret_cast<char*>(storage.get());
    constexpr std::size_t lengthAt = offsetof(struct dirent64, d_reclen);
    constexpr std::size_t inodeAt = offsetof(struct dirent64, d_ino);
    constexpr std::size_t typeAt = offsetof(struct dirent64, d_type);
    constexpr std::size_t nameAt = offsetof(struct dirent64, d_name);
    for (;;) {
        const ssize_t got = SystemCalls::readEntries(fd, buffer, bufferSize);
        if (got < 0) return false;
        if (got == 0) return true;
        for (std::size_t at = 0; at < static_cast<std::size_t>(got);) {
            unsigned short length = 0;
            std::memcpy(&length, buffer + at + lengthAt, sizeof length);
            if (length <= nameAt || at + length > static_cast<std::size_t>(got)) return false;
            const char* name = buffer + at + nameAt;
            std::uint64_t inode = 0;
            std::memcpy(&inode, buffer + at + inodeAt, sizeof inode);
            visit(std::string_view(name, ::strnlen(name, length - nameAt)),
                  static_cast<unsigned char>(buffer[at + typeAt]), inode);
            at += length;
        }
    }
}

}  // namespace

FolderEntries::FolderEntries(const std::string& folder, std::size_t count, const Names& names,
                             bool withIdentities, FolderReads reads)
    : found_(count), inodes_(withIdentities ? count : 0) {
    const Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0) return;

    struct statfs volume;
    if (::fstatfs(dir.get(), &volume) != 0) return;
    const auto known = byteExactVolume(static_cast<std::uint32_t>(volume.f_type));
    if (!known) {
        outcome_ = Outcome::foldsNames;
        return;
    }
    if (known->mayFoldCase) {
        // The case-folding flag belongs to each folder; a volume that can't
        // report it can't be trusted not to have it.
        int flags = 0;
        if (::ioctl(dir.get(), FS_IOC_GETFLAGS, &flags) != 0 || (flags & FS_CASEFOLD_FL) != 0) {
            outcome_ = Outcome::foldsNames;
            return;
        }
    }

    struct stat status;
    if (::fstat(dir.get(), &status) != 0) return;
    const auto entries = static_cast<std::size_t>(status.st_size) / known->bytesPerEntry;
    const bool worthIt = count >= fewestNames && count * entriesPerName >= entries;
    if (reads == FolderReads::never || (reads == FolderReads::judged && !worthIt)) {
        outcome_ = Outcome::notWorthIt;
        return;
    }

    const NameTable table(count, names);
    if (!forEachEntry(dir.get(),
                      [&](std::string_view entry, unsigned char type, std::uint64_t inode) {
                          table.mark(entry, type, inode, found_, inodes_);
                      })) {
        found_.assign(count, 0);
        return;
    }
    table.copyToRepeats(found_, inodes_);
    device_ = static_cast<std::uint64_t>(status.st_dev);
    outcome_ = Outcome::read;
}

namespace {

// Whether the directory `folder` holds an entry spelled exactly `entryName`.
bool holdsEntry(const std::string& folder, std::string_view entryName) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return true;  // can't tell: count it as taken
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        if (entryName == entry->d_name) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

// existsBeside, told whether the folder holds an entry spelled exactly `name`
// when that is already known.
bool existsBesideKnowing(std::string_view path, std::string_view name,
                         std::optional<bool> spelledThere) {
    const auto slash = path.rfind('/');
    std::string destination;
    destination.reserve(path.size() + name.size());
    if (slash != std::string_view::npos) destination.append(path.substr(0, slash + 1));
    destination.append(name);

    // lstat: a rename meets the entry itself, whatever a link points to.
    struct stat there;
    if (::lstat(destination.c_str(), &there) != 0) return false;
    const std::string source(path);
    struct stat own;
    if (::lstat(source.c_str(), &own) != 0) return true;
    if (there.st_dev != own.st_dev || there.st_ino != own.st_ino) return true;
    // The same file: the only entry of it is the file's own, reached under
    // another spelling; with several hard links, an entry spelled exactly like
    // the destination is another link.
    if (own.st_nlink <= 1) return false;
    if (path.substr(slash == std::string_view::npos ? 0 : slash + 1) == name) return false;
    if (spelledThere) return *spelledThere;
    const std::string folder = slash == std::string_view::npos ? std::string(".")
                               : slash == 0                    ? std::string("/")
                                                               : source.substr(0, slash);
    return holdsEntry(folder, name);
}

// The folder part of `path`, its last slash included; empty when it has none.
std::string_view folderPart(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

}  // namespace

bool existsBeside(const Location& path, std::string_view name) {
    return existsBesideKnowing(path.native(), name, std::nullopt);
}

namespace {

// The indices 0 to count-1 gathered by the folder part of the path each names.
// Lists mostly come folder by folder, so the previous index's folder is tried
// before the map, and when every folder's indices are consecutive they need no
// list of their own.
class FolderGroups {
public:
    struct Group {
        std::string_view folder;  // its last slash included; empty for none
        std::size_t size = 0;
        std::size_t first = 0;  // its first index, or its first place in `members_`
    };

    FolderGroups(std::size_t count, const std::function<std::string_view(std::size_t)>& pathOf) {
        const auto groupOf = [&](std::size_t i, std::size_t previous) {
            const std::string_view folder = folderPart(pathOf(i));
            if (i > 0 && groups_[previous].folder == folder) return previous;
            const auto [at, added] = byFolder_.try_emplace(folder, groups_.size());
            if (added) {
                groups_.push_back({.folder = folder, .size = 0, .first = i});
            } else {
                consecutive_ = false;
            }
            return at->second;
        };
        for (std::size_t i = 0, group = 0; i < count; ++i) {
            group = groupOf(i, group);
            ++groups_[group].size;
        }
        if (consecutive_) return;
        std::size_t next = 0;
        for (Group& group : groups_) {
            group.first = next;
            next += group.size;
        }
        members_.resize(count);
        std::vector<std::size_t> placed(groups_.size());
        for (std::size_t i = 0, group = 0; i < count; ++i) {
            group = groupOf(i, group);
            members_[groups_[group].first + placed[group]++] = static_cast<std::uint32_t>(i);
        }
    }

    const std::vector<Group>& groups() const { return groups_; }

    // The index of the k-th member of `group`.
    std::size_t index(const Group& group, std::size_t k) const {
        return consecutive_ ? group.first + k : std::size_t{members_[group.first + k]};
    }

    // The folder as the kernel takes it.
    static std::string opened(const Group& group) {
        return group.folder.empty() ? std::string(".") : std::string(group.folder);
    }

private:
    std::vector<Group> groups_;
    std::unordered_map<std::string_view, std::size_t> byFolder_;
    bool consecutive_ = true;
    std::vector<std::uint32_t> members_;
};

}  // namespace

std::vector<bool> existBeside(std::size_t count,
                              const std::function<BesideQuestion(std::size_t)>& question,
                              FolderReads reads) {
    std::vector<bool> answers(count);
    const FolderGroups folders(count, [&](std::size_t i) { return question(i).path; });
    for (const FolderGroups::Group& group : folders.groups()) {
        const auto index = [&](std::size_t k) { return folders.index(group, k); };
        std::optional<FolderEntries> entries;
        if (group.size >= fewestNames) {
            entries.emplace(
                FolderGroups::opened(group), group.size,
                [&](std::size_t k) { return question(index(k)).name; }, false, reads);
        }
        const bool read = entries && entries->outcome() == FolderEntries::Outcome::read;
        for (std::size_t k = 0; k < group.size; ++k) {
            const BesideQuestion asked = question(index(k));
            // A name lstat wouldn't look up as one entry, or a path it would
            // refuse as too long, keeps lstat's own answer.
            const bool asTheFolderSays = read && isEntryName(asked.name) &&
                                         group.folder.size() + asked.name.size() < PATH_MAX;
            if (asTheFolderSays && !entries->found(k)) continue;
            answers[index(k)] =
                existsBesideKnowing(asked.path, asked.name,
                                    asTheFolderSays ? std::optional(true) : std::nullopt);
        }
    }
    return answers;
}

namespace {

// Calls answer(i, entries, k) for each path i from 0 to count-1, the k-th of
// its folder. `entries` is that folder's read when the folder holds enough of
// the paths for its size, could be read and may be searched (a lookup by path
// needs that, reading doesn't), and path i names one of its entries as a lookup
// would; else it is null and the path is left to a lookup of its own.
template <class Answer>
void byFolder(std::size_t count, const std::function<std::string_view(std::size_t)>& path,
              bool withIdentities, FolderReads reads, Answer&& answer) {
    const auto nameOf = [&](std::size_t i) {
        const std::string_view whole = path(i);
        return whole.substr(whole.rfind('/') + 1);
    };
    const FolderGroups folders(count, path);
    for (const FolderGroups::Group& group : folders.groups()) {
        const auto index = [&](std::size_t k) { return folders.index(group, k); };
        std::optional<FolderEntries> entries;
        if (group.size >= fewestNames) {
            entries.emplace(FolderGroups::opened(group), group.size,
                            [&](std::size_t k) { return nameOf(index(k)); }, withIdentities,
                            reads);
        }
        const bool read = entries && entries->outcome() == FolderEntries::Outcome::read &&
                          ::faccessat(AT_FDCWD, FolderGroups::opened(group).c_str(), X_OK,
                                      AT_EACCESS) == 0;
        for (std::size_t k = 0; k < group.size; ++k) {
            const std::size_t i = index(k);
            const bool asEntry = read && isEntryName(nameOf(i)) && path(i).size() < PATH_MAX;
            answer(i, asEntry ? &*entries : nullptr, k);
        }
    }
}

}  // namespace

std::vector<ExistsAndKind> existAndKinds(const std::vector<Location>& paths, FolderReads reads) {
    std::vector<ExistsAndKind> answers(paths.size());
    const auto pathOf = [&](std::size_t i) -> std::string_view { return paths[i].native(); };
    byFolder(paths.size(), pathOf, false, reads,
             [&](std::size_t i, const FolderEntries* entries, std::size_t k) {
                 if (entries) {
                     if (!entries->found(k)) return;
                     // A link is followed, and a volume that doesn't give types
                     // is asked; every other entry is what it says it is.
                     const unsigned char type = entries->type(k);
                     if (type != DT_LNK && type != DT_UNKNOWN) {
                         answers[i] = {.exists = true, .isFolder = type == DT_DIR};
                         return;
                     }
                 }
                 answers[i] = existsAndKind(paths[i]);
             });
    return answers;
}

std::vector<std::optional<FileId>> identities(
    std::size_t count, const std::function<std::string_view(std::size_t)>& path,
    FolderReads reads) {
    std::vector<std::optional<FileId>> answers(count);
    byFolder(count, path, true, reads, [&](std::size_t i, const FolderEntries* entries, std::size_t k) {
        if (!entries) {
            answers[i] = identity(Location(path(i)));
        } else if (entries->found(k)) {
            // An entry's inode is its file's; the folder's device is its
            // entries' (an entry that is a mount point can't be renamed).
            answers[i] = entries->identity(k);
        }
    });
    return answers;
}

}  // namespace tavix::FileSystem
