#include "system/FileSystem.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <utility>

#include "system/FileKind.hpp"
#include "system/SystemCalls.hpp"

namespace tavix::FileSystem {
namespace {

Timestamp timestampOf(const struct statx_timestamp& time) {
    return Timestamp{std::chrono::seconds{time.tv_sec} + std::chrono::nanoseconds{time.tv_nsec}};
}

// The errno of a move that can't replace `to`, or 0 on success; both names are
// resolved against `folder` (AT_FDCWD for whole paths). Where the file system
// refuses RENAME_NOREPLACE, a hard link followed by removing the old name gives
// the same guarantee: link() fails with EEXIST instead of replacing.
int moveWithoutReplacing(int folder, const char* from, const char* to) {
    const int refused = SystemCalls::renameNoReplace(folder, from, to) == 0 ? 0 : errno;
    if (refused == 0) return 0;
    if (refused != EINVAL && refused != ENOSYS) return refused;

    // A file system without hard links fails here too (EPERM, EOPNOTSUPP); the
    // move then fails rather than risk a rename that could replace a file.
    if (::linkat(folder, from, folder, to, 0) != 0) return errno;
    if (::unlinkat(folder, from, 0) != 0) {
        const int error = errno;
        // Leave the file under its old name only, as it was before the call.
        ::unlinkat(folder, to, 0);
        return error;
    }
    return 0;
}

}  // namespace

bool exists(const Location& path) {
    struct stat status;
    return ::stat(path.c_str(), &status) == 0;
}

ExistsAndKind existsAndKind(const Location& path) {
    struct stat status;
    if (::stat(path.c_str(), &status) != 0) return {};
    return {.exists = true, .isFolder = S_ISDIR(status.st_mode)};
}

std::optional<FileId> identity(const Location& path) {
    struct stat status;
    if (::lstat(path.c_str(), &status) != 0) return std::nullopt;
    return FileId{static_cast<std::uint64_t>(status.st_dev),
                  static_cast<std::uint64_t>(status.st_ino)};
}

std::error_code move(const Location& from, const Location& to) {
    return {moveWithoutReplacing(AT_FDCWD, from.c_str(), to.c_str()), std::system_category()};
}

Folder::Folder(std::string path) : path_(std::move(path)) {
    fd_ = ::open(path_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) error_ = errno;
}

Folder::~Folder() {
    if (fd_ >= 0) ::close(fd_);
}

Folder::Folder(Folder&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)), error_(other.error_) {}

Folder& Folder::operator=(Folder&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        path_ = std::move(other.path_);
        fd_ = std::exchange(other.fd_, -1);
        error_ = other.error_;
    }
    return *this;
}

std::error_code Folder::move(const char* from, const char* to) const {
    if (fd_ < 0) return {error_, std::system_category()};
    return {moveWithoutReplacing(fd_, from, to), std::system_category()};
}

std::error_code Folder::exchange(const char* a, const char* b) const {
    if (fd_ < 0) return {error_, std::system_category()};
    const int error = SystemCalls::renameExchange(fd_, a, b) == 0 ? 0 : errno;
    return {error, std::system_category()};
}

bool exchangeRefused(const std::error_code& error) {
    if (error.category() != std::system_category()) return false;
    const int value = error.value();
    return value == EINVAL || value == ENOSYS || value == EOPNOTSUPP;
}

namespace {

std::optional<ResourceValues> readValues(const Location& path, bool withKind) {
    struct statx status;
    if (::statx(AT_FDCWD, path.c_str(), AT_STATX_SYNC_AS_STAT,
                STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_BTIME | STATX_MTIME, &status) != 0) {
        return std::nullopt;
    }
    ResourceValues values;
    if (status.stx_mask & STATX_SIZE) values.size = status.stx_size;
    if (status.stx_mask & STATX_BTIME) values.created = timestampOf(status.stx_btime);
    if (status.stx_mask & STATX_MTIME) values.modified = timestampOf(status.stx_mtime);
    if (withKind) {
        const mode_t type = (status.stx_mask & STATX_TYPE) ? status.stx_mode & S_IFMT : S_IFREG;
        values.kind = FileKind::describe(path, type, status.stx_size);
    }
    return values;
}

}  // namespace

std::optional<ResourceValues> resourceValues(const Location& path) {
    return readValues(path, true);
}

std::optional<ResourceValues> sizeAndDates(const Location& path) {
    return readValues(path, false);
}

std::optional<Timestamp> modificationTime(const Location& path) {
    struct statx status;
    if (::statx(AT_FDCWD, path.c_str(), AT_STATX_SYNC_AS_STAT, STATX_MTIME, &status) != 0 ||
        !(status.stx_mask & STATX_MTIME)) {
        return std::nullopt;
    }
    return timestampOf(status.stx_mtime);
}

}  // namespace tavix::FileSystem
