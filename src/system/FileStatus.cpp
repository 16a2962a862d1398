#include "system/FileStatus.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <string>

#include "system/Shares.hpp"

namespace tavix::FileSystem {
namespace {

Status fromStat(const struct stat& s) {
    return {{static_cast<std::uint64_t>(s.st_dev), static_cast<std::uint64_t>(s.st_ino)},
            static_cast<std::uint32_t>(s.st_uid),
            static_cast<std::uint32_t>(s.st_mode),
            S_ISREG(s.st_mode),
            S_ISDIR(s.st_mode)};
}

std::optional<Stamp> stampAt(int folder, const char* path) {
    struct statx s;
    if (::statx(folder, path, AT_SYMLINK_NOFOLLOW | AT_STATX_SYNC_AS_STAT, STATX_INO | STATX_BTIME,
                &s) != 0) {
        return std::nullopt;
    }
    Stamp stamp{{::makedev(s.stx_dev_major, s.stx_dev_minor), s.stx_ino}, std::nullopt};
    if (s.stx_mask & STATX_BTIME) {
        stamp.birth = Timestamp(std::chrono::seconds(s.stx_btime.tv_sec) +
                                std::chrono::nanoseconds(s.stx_btime.tv_nsec));
    }
    return stamp;
}

}  // namespace

std::optional<Status> status(const Descriptor& file) {
    struct stat s;
    if (!file || ::fstat(file.get(), &s) != 0) return std::nullopt;
    return fromStat(s);
}

std::optional<Status> status(const std::filesystem::path& path) {
    struct stat s;
    if (::lstat(path.c_str(), &s) != 0) return std::nullopt;
    return fromStat(s);
}

std::uint32_t currentUser() {
    return static_cast<std::uint32_t>(::geteuid());
}

bool writableByOthers(std::uint32_t mode, bool groupToo) {
    return (mode & S_IWOTH) != 0 || (groupToo && (mode & S_IWGRP) != 0);
}

std::optional<Stamp> stamp(const Location& path) {
    return stampAt(AT_FDCWD, path.c_str());
}

std::optional<Stamp> stamp(const Folder& folder, const char* name) {
    if (folder.descriptor() < 0) return std::nullopt;
    return stampAt(folder.descriptor(), name);
}

namespace {

// stampsWithBirth for the entries from `begin` to `end`.
void stampRange(std::size_t begin, std::size_t end,
                const std::function<std::string_view(std::size_t)>& path,
                std::vector<std::optional<Stamp>>& stamps) {
    std::optional<Folder> folder;
    bool folderRecords = false;
    std::string name;  // the entry's name with its NUL, its room reused
    for (std::size_t i = begin; i < end; ++i) {
        const std::string_view file = path(i);
        const auto slash = file.rfind('/');
        if (slash == std::string_view::npos) continue;
        const std::string_view folderText = file.substr(0, slash == 0 ? 1 : slash);
        if (!folder || folder->path() != folderText) {
            folder.emplace(std::string(folderText));
            const auto asked = stampAt(AT_FDCWD, folder->path().c_str());
            folderRecords = asked && asked->birth;
        }
        if (!folderRecords) continue;
        name.assign(file.substr(slash + 1));
        stamps[i] = stamp(*folder, name.c_str());
    }
}

}  // namespace

std::vector<std::optional<Stamp>> stampsWithBirth(
    std::size_t count, const std::function<std::string_view(std::size_t)>& path,
    std::size_t perThread) {
    std::vector<std::optional<Stamp>> stamps(count);
    // The lookups of one folder's entries don't lock the folder, so two
    // threads halve the time (below a few thousand entries a second thread
    // costs more than it saves); each writes its own share of `stamps`.
    Shares::forEach(count, Shares::count(count, perThread, 2),
                    [&](std::size_t, std::size_t begin, std::size_t end) {
                        stampRange(begin, end, path, stamps);
                    });
    return stamps;
}

}  // namespace tavix::FileSystem
