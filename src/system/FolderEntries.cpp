#include "system/FolderEntries.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <linux/magic.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <numeric>
#include <optional>
#include <unordered_map>
#include <utility>

#include "system/Descriptor.hpp"
#include "system/FileSystem.hpp"
#include "system/SystemCalls.hpp"
#include "text/CaseFolding.hpp"
#include "text/HashedIndices.hpp"

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


std::uint32_t keyOf(std::size_t hash) {
    return static_cast<std::uint32_t>(hash);
}

bool sameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

FolderSnapshot::FolderSnapshot(const std::string& folder, std::size_t asked, FolderReads reads,
                               const Visit& visit) {
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

    // The clock the kernel stamps changes with, taken before the folder's
    // stamps: a change after this instant gets a later time than any read here.
    struct timespec now = {};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    struct stat status;
    if (::fstat(dir.get(), &status) != 0) return;
    const auto expected = static_cast<std::size_t>(status.st_size) / known->bytesPerEntry;
    const bool worthIt = asked >= fewestNames && asked * entriesPerName >= expected;
    if (reads == FolderReads::never || (reads == FolderReads::judged && !worthIt)) {
        outcome_ = Outcome::notWorthIt;
        return;
    }

    read(dir.get(), expected, visit);
    if (outcome_ != Outcome::read) return;
    device_ = static_cast<std::uint64_t>(status.st_dev);
    inode_ = static_cast<std::uint64_t>(status.st_ino);
    modified_ = status.st_mtim;
    changed_ = status.st_ctim;
    // Whole seconds, for volumes that keep no finer times (ext4 with small inodes).
    settled_ = modified_.tv_sec < now.tv_sec && changed_.tv_sec < now.tv_sec;
    searchable_ = ::faccessat(AT_FDCWD, folder.c_str(), X_OK, AT_EACCESS) == 0;
}

void FolderSnapshot::read(int fd, std::size_t expected, const Visit& visit) {
    // The entries in the order read, each bucket counted, then placed bucket by bucket.
    std::vector<std::uint64_t> hashes;
    std::vector<std::uint64_t> inodes;
    hashes.reserve(expected + 2);
    inodes.reserve(expected + 2);
    // Bucket b counted in starts_[b + 1]; about eight entries to a bucket.
    starts_.assign(std::max<std::size_t>(expected / 8, 1) + 1, 0);
    bool tooMany = false;
    const bool complete =
        forEachEntry(fd, [&](std::string_view name, unsigned char type, std::uint64_t inode) {
            tooMany = tooMany || hashes.size() >= UINT32_MAX / 2;
            if (tooMany) return;
            const std::size_t hash = hashOf(name);
            if (visit) visit(name, hash, type);
            hashes.push_back(hash);
            inodes.push_back(inode);
            ++starts_[bucketOf(hash) + 1];
        });
    if (!complete || tooMany) {
        starts_.clear();
        return;
    }
    std::partial_sum(starts_.begin(), starts_.end(), starts_.begin());
    keys_.resize(hashes.size());
    // Each entry goes to its bucket's next free place: its end, counting down.
    std::vector<std::uint64_t>(hashes.size()).swap(inodes_);
    for (std::size_t i = hashes.size(); i-- > 0;) {
        const std::size_t bucket = bucketOf(hashes[i]);
        // starts_[bucket + 1] is moved down to the bucket's start on the way.
        const std::uint32_t at = --starts_[bucket + 1];
        keys_[at] = keyOf(hashes[i]);
        inodes_[at] = inodes[i];
    }
    // Now starts_[b + 1] holds bucket b's start; shift them into place.
    starts_.erase(starts_.begin());
    starts_.push_back(static_cast<std::uint32_t>(keys_.size()));
    outcome_ = Outcome::read;
}

std::size_t FolderSnapshot::bucketOf(std::size_t hash) const {
    // The key scaled to the number of buckets (any number will do), so that
    // names with the same key share a bucket.
    return static_cast<std::size_t>((std::uint64_t{keyOf(hash)} * (starts_.size() - 1)) >> 32);
}

FolderSnapshot::Found FolderSnapshot::find(std::string_view name) const {
    Found found;
    if (outcome_ != Outcome::read || !isEntryName(name)) return found;
    const std::size_t hash = hashOf(name);
    const std::size_t bucket = bucketOf(hash);
    const std::uint32_t key = keyOf(hash);
    for (std::uint32_t at = starts_[bucket]; at < starts_[bucket + 1]; ++at) {
        if (keys_[at] != key) continue;
        ++found.sharing;
        found.inode = inodes_[at];
    }
    return found;
}

bool FolderSnapshot::stillMatches(const struct stat& status) const {
    return outcome_ == Outcome::read && settled_ &&
           static_cast<std::uint64_t>(status.st_dev) == device_ &&
           static_cast<std::uint64_t>(status.st_ino) == inode_ &&
           sameTime(status.st_mtim, modified_) && sameTime(status.st_ctim, changed_);
}

namespace {

// The folder part of `path`, its last slash included; empty when it has none.
std::string_view folderPart(std::string_view path) {
    // memrchr: rfind goes byte by byte.
    const auto* slash = static_cast<const char*>(::memrchr(path.data(), '/', path.size()));
    return slash == nullptr ? std::string_view()
                            : path.substr(0, static_cast<std::size_t>(slash - path.data()) + 1);
}

// The folder part of a path as the kernel takes it.
std::string openable(std::string_view folder) {
    if (folder.empty()) return ".";
    if (folder.size() == 1) return "/";
    return std::string(folder.substr(0, folder.size() - 1));
}

// The entries of one folder by their names' folded form, read when first
// asked: which names a volume that ignores case takes for one another.
class FoldedEntries {
public:
    explicit FoldedEntries(std::string_view folder) : folder_(openable(folder)) {}

    // Whether the only entry whose name folds like `name` is `own` (so that no
    // entry is spelled exactly `name` unless `own` is). False when the folder
    // can't be read: then it can't be told.
    bool onlyOwnFoldsTo(std::string_view own, std::string_view name) {
        if (!read_) {
            read_ = true;
            const Descriptor dir(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            readable_ = dir.get() >= 0 &&
                        forEachEntry(dir.get(), [&](std::string_view entry, unsigned char,
                                                    std::uint64_t) {
                            if (entry == "." || entry == "..") return;
                            auto& [first, count] =
                                byFolded_[std::string(text::caseFoldedKey(entry, room_))];
                            if (count++ == 0) first = entry;
                        });
        }
        if (!readable_) return false;
        const auto found = byFolded_.find(std::string(text::caseFoldedKey(name, room_)));
        return found != byFolded_.end() && found->second.second == 1 && found->second.first == own;
    }

private:
    std::string folder_;
    bool read_ = false;
    bool readable_ = false;
    std::string room_;  // a folded form's
    // Each folded form: the first entry with it, and how many have it.
    std::unordered_map<std::string, std::pair<std::string, std::size_t>> byFolded_;
};

// Whether the folder holds an entry spelled exactly `entryName`; true when it
// can't be read (it can't be told: the name counts as taken).
bool holdsEntry(std::string_view folder, std::string_view entryName) {
    const Descriptor dir(::open(openable(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0) return true;
    bool found = false;
    if (!forEachEntry(dir.get(), [&](std::string_view entry, unsigned char, std::uint64_t) {
            found = found || entry == entryName;
        })) {
        return true;
    }
    return found;
}

// The answer to one BesideQuestion, told whether the folder holds an entry
// spelled exactly `name` when that is already known; `folded` is the folder's
// entries by folded name, read when needed.
bool existsBesideKnowing(std::string_view path, std::string_view name,
                         std::optional<bool> spelledThere, FoldedEntries& folded) {
    const std::string_view folder = folderPart(path);
    const std::string_view ownName = path.substr(folder.size());
    std::string destination;
    destination.reserve(folder.size() + name.size());
    destination.append(folder).append(name);

    // lstat: a rename meets the entry itself, whatever a link points to.
    struct stat there;
    if (SystemCalls::lstat(destination.c_str(), &there) != 0) return false;
    const std::string source(path);
    struct stat own;
    if (SystemCalls::lstat(source.c_str(), &own) != 0) return true;
    if (there.st_dev != own.st_dev || there.st_ino != own.st_ino) {
        // Another file, or the file itself under another spelling on a volume
        // that ignores case and numbers each spelling apart (FAT through FUSE,
        // some SMB mounts): then no entry is spelled like the destination and
        // the file's own entry is the only one its spelling folds to.
        if (spelledThere.value_or(false) || ownName == name) return true;
        if (!text::differsOnlyInCase(ownName, name)) return true;
        return !folded.onlyOwnFoldsTo(ownName, name);
    }
    // The same file: the only entry of it is the file's own, reached under
    // another spelling; with several hard links, an entry spelled exactly like
    // the destination is another link.
    if (own.st_nlink <= 1) return false;
    if (ownName == name) return false;
    if (spelledThere) return *spelledThere;
    return holdsEntry(folder, name);
}

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

private:
    std::vector<Group> groups_;
    std::unordered_map<std::string_view, std::size_t> byFolder_;
    bool consecutive_ = true;
    std::vector<std::uint32_t> members_;
};

}  // namespace

const FolderSnapshot* FolderSnapshots::of(std::string_view folder, std::size_t asked,
                                          const FolderSnapshot::Visit& visit) {
    const std::string path = openable(folder);
    std::string key(folder);
    // A kept read can't show its entries again: with `visit` it stays, to be
    // replaced by a fresh read or to answer later questions.
    if (const auto found = kept_.find(key); found != kept_.end() && !visit) {
        struct stat status;
        if (::stat(path.c_str(), &status) == 0 && found->second.snapshot->stillMatches(status)) {
            found->second.used = true;
            return found->second.snapshot.get();
        }
        kept_.erase(found);
    }
    if (asked < fewestNames && reads_ != FolderReads::always) return nullptr;
    auto snapshot = std::make_unique<FolderSnapshot>(path, asked, reads_, visit);
    if (snapshot->outcome() != FolderSnapshot::Outcome::read) return nullptr;
    Kept& kept = kept_[std::move(key)];
    kept = {.snapshot = std::move(snapshot), .used = true};
    return kept.snapshot.get();
}

void FolderSnapshots::forgetUnused() {
    std::erase_if(kept_, [](const auto& entry) { return !entry.second.used; });
    for (auto& [folder, kept] : kept_) kept.used = false;
}

std::vector<bool> FolderSnapshots::existBeside(
    std::size_t count, const std::function<BesideQuestion(std::size_t)>& question) {
    std::vector<bool> answers(count);
    const FolderGroups folders(count, [&](std::size_t i) { return question(i).path; });
    for (const FolderGroups::Group& group : folders.groups()) {
        const auto index = [&](std::size_t k) { return folders.index(group, k); };
        const FolderSnapshot* const entries = of(group.folder, group.size);
        FoldedEntries folded(group.folder);
        for (std::size_t k = 0; k < group.size; ++k) {
            const BesideQuestion asked = question(index(k));
            // A name lstat wouldn't look up as one entry, or a path it would
            // refuse as too long, keeps lstat's own answer.
            const bool asTheFolderSays = entries != nullptr && isEntryName(asked.name) &&
                                         group.folder.size() + asked.name.size() < PATH_MAX;
            if (asTheFolderSays && entries->find(asked.name).sharing == 0) continue;
            // A name whose key an entry has is asked about: on these volumes an
            // entry lstat finds under it is spelled exactly so.
            answers[index(k)] = existsBesideKnowing(
                asked.path, asked.name, asTheFolderSays ? std::optional(true) : std::nullopt,
                folded);
        }
    }
    return answers;
}

namespace {

// The names asked about in one folder, each matched with its entry while the
// folder is read: their indices by their hashes' low halves, so that an entry
// nobody asked about is rarely compared with a name. Only names a lookup takes
// as one entry of the folder are sought.
class SoughtNames {
public:
    // No entry has the name; DT_* types are below 16.
    static constexpr unsigned char missing = 0xFF;

    // Names 0 to count-1, name(k) the k-th, in a folder whose path (its last
    // slash included) is `folderLength` bytes long.
    SoughtNames(std::size_t count, std::size_t folderLength,
                const std::function<std::string_view(std::size_t)>& name)
        : name_(name), indices_(count), types_(count, missing) {
        for (std::size_t k = 0; k < count; ++k) {
            const std::string_view sought = name(k);
            if (!isEntryName(sought) || folderLength + sought.size() >= PATH_MAX) continue;
            const std::uint32_t first = indices_.insert(
                keyOf(FolderSnapshot::hashOf(sought)), static_cast<std::uint32_t>(k),
                [&](std::uint32_t other) { return name(other) == sought; });
            if (first != HashedIndices::none) copies_.emplace_back(k, first);
        }
    }

    // An entry read: the name sought like it, if any, has its type.
    void meet(std::string_view entry, std::size_t hash, unsigned char type) {
        const std::uint32_t k =
            indices_.find(keyOf(hash), [&](std::uint32_t other) { return name_(other) == entry; });
        if (k != HashedIndices::none) types_[k] = type;
    }

    // What the read found for name k, a name sought: the type of the entry
    // spelled so, or `missing`. Call once the folder is read.
    unsigned char type(std::size_t k) {
        if (!copies_.empty()) {
            // A name asked about twice takes its first asking's answer.
            for (const auto& [copy, first] : copies_) types_[copy] = types_[first];
            copies_.clear();
        }
        return types_[k];
    }

private:
    const std::function<std::string_view(std::size_t)>& name_;
    HashedIndices indices_;
    std::vector<unsigned char> types_;
    // Names asked about again: (k, the index of its first asking).
    std::vector<std::pair<std::size_t, std::size_t>> copies_;
};

}  // namespace

std::vector<ExistsAndKind> FolderSnapshots::existAndKinds(const std::vector<Location>& paths) {
    std::vector<ExistsAndKind> answers(paths.size());
    const FolderGroups folders(paths.size(),
                               [&](std::size_t i) -> std::string_view { return paths[i].native(); });
    for (const FolderGroups::Group& group : folders.groups()) {
        const std::function<std::string_view(std::size_t)> nameOf = [&](std::size_t k) {
            return std::string_view(paths[folders.index(group, k)].native())
                .substr(group.folder.size());
        };
        SoughtNames sought(group.size, group.folder.size(), nameOf);
        const FolderSnapshot* entries =
            of(group.folder, group.size,
               [&](std::string_view name, std::size_t hash, unsigned char type) {
                   sought.meet(name, hash, type);
               });
        // A lookup by path needs search permission; reading doesn't.
        if (entries != nullptr && !entries->searchable()) entries = nullptr;
        for (std::size_t k = 0; k < group.size; ++k) {
            const std::size_t i = folders.index(group, k);
            const std::string_view name = nameOf(k);
            if (entries != nullptr && isEntryName(name) &&
                group.folder.size() + name.size() < PATH_MAX) {
                const unsigned char type = sought.type(k);
                if (type == SoughtNames::missing) continue;
                // A link is followed, and a volume that doesn't give types is
                // asked; every other entry is what it says it is.
                if (type != DT_LNK && type != DT_UNKNOWN) {
                    answers[i] = {.exists = true, .isFolder = type == DT_DIR};
                    continue;
                }
            }
            answers[i] = existsAndKind(paths[i]);
        }
    }
    return answers;
}

std::vector<std::optional<FileId>> FolderSnapshots::identities(
    std::size_t count, const std::function<std::string_view(std::size_t)>& path) {
    std::vector<std::optional<FileId>> answers(count);
    const FolderGroups folders(count, path);
    for (const FolderGroups::Group& group : folders.groups()) {
        const FolderSnapshot* entries = of(group.folder, group.size);
        // A lookup by path needs search permission; reading doesn't.
        if (entries != nullptr && !entries->searchable()) entries = nullptr;
        for (std::size_t k = 0; k < group.size; ++k) {
            const std::size_t i = folders.index(group, k);
            const std::string_view whole = path(i);
            const std::string_view name = whole.substr(group.folder.size());
            if (entries != nullptr && isEntryName(name) && whole.size() < PATH_MAX) {
                const FolderSnapshot::Found found = entries->find(name);
                if (found.sharing == 0) continue;
                // An entry's inode is its file's; the folder's device is its
                // entries' (an entry that is a mount point can't be renamed).
                // Names that share a key are told apart by lstat.
                if (found.sharing == 1) {
                    answers[i] = FileId{.device = entries->device(), .inode = found.inode};
                    continue;
                }
            }
            answers[i] = identity(Location(whole));
        }
    }
    return answers;
}

std::vector<ExistsAndKind> existAndKinds(const std::vector<Location>& paths, FolderReads reads) {
    return FolderSnapshots(reads).existAndKinds(paths);
}

std::vector<std::optional<FileId>> identities(
    std::size_t count, const std::function<std::string_view(std::size_t)>& path,
    FolderReads reads) {
    return FolderSnapshots(reads).identities(count, path);
}

}  // namespace tavix::FileSystem
