#include "system/DurableFile.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "system/FileSystem.hpp"
#include "text/PathNames.hpp"

namespace tavix::FileSystem {
namespace {

std::function<std::optional<int>(const std::filesystem::path&)>& injectedFault() {
    static std::function<std::optional<int>(const std::filesystem::path&)> fault;
    return fault;
}

std::error_code systemError(int error) {
    return {error, std::system_category()};
}

std::error_code injected(const std::filesystem::path& path) {
    if (const auto& fault = injectedFault()) {
        if (const auto error = fault(path)) return systemError(*error);
    }
    return {};
}

std::error_code writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return systemError(errno);
        if (n == 0) return systemError(EIO);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

std::error_code syncFolderOf(const std::filesystem::path& path) {
    const Path parent = PathNames::folder(path);
    const int fd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return systemError(errno);
    const int result = ::fsync(fd);
    const int error = errno;
    ::close(fd);
    // Some file systems can't sync a folder; what matters is the file's own sync.
    if (result != 0 && error != EINVAL && error != EROFS) return systemError(error);
    return {};
}

}  // namespace

std::unique_ptr<DurableFile> DurableFile::create(const Path& path, std::error_code& error) {
    if ((error = injected(path))) return nullptr;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = systemError(errno);
        return nullptr;
    }
    error.clear();
    return std::unique_ptr<DurableFile>(new DurableFile(path, fd));
}

std::unique_ptr<DurableFile> DurableFile::open(const Path& path, std::error_code& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        error = systemError(errno);
        return nullptr;
    }
    error.clear();
    return std::unique_ptr<DurableFile>(new DurableFile(path, fd));
}

DurableFile::~DurableFile() {
    if (fd_ >= 0) ::close(fd_);
}

std::error_code DurableFile::append(std::string_view bytes) {
    if (auto error = injected(path_)) return error;
    return writeAll(fd_, bytes);
}

std::error_code DurableFile::sync() {
    if (auto error = injected(path_)) return error;
    if (::fsync(fd_) != 0) return systemError(errno);
    return syncFolderOf(path_);
}

std::error_code DurableFile::replace(
    const std::function<void(const std::function<void(std::string_view)>&)>& fill) {
    if (auto error = injected(path_)) return error;
    std::string pattern = path_.native() + ".XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) return systemError(errno);
    const Path temporary(pattern);
    const auto abandon = [&](std::error_code error) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return error;
    };
    ::fchmod(fd, 0644);

    // Buffered: a finished journal of a large batch is written in large pieces.
    std::string buffer;
    buffer.reserve(1 << 16);
    std::error_code failed;
    // A fill that throws leaves nothing behind: the temporary goes, this file stays.
    try {
        fill([&](std::string_view piece) {
            if (failed) return;
            if (buffer.size() + piece.size() > buffer.capacity()) {
                failed = writeAll(fd, buffer);
                buffer.clear();
                if (piece.size() > buffer.capacity()) {
                    if (!failed) failed = writeAll(fd, piece);
                    return;
                }
            }
            buffer.append(piece);
        });
    } catch (...) {
        abandon({});
        throw;
    }
    if (!failed) failed = writeAll(fd, buffer);
    if (failed) return abandon(failed);
    if (::fsync(fd) != 0) return abandon(systemError(errno));

    // Only our own file is replaced: the entry at the path must still be it.
    struct stat own;
    struct stat there;
    if (::fstat(fd_, &own) != 0) return abandon(systemError(errno));
    if (::lstat(path_.c_str(), &there) != 0) return abandon(systemError(errno));
    if (own.st_dev != there.st_dev || own.st_ino != there.st_ino) {
        return abandon(systemError(EEXIST));
    }
    if (::rename(temporary.c_str(), path_.c_str()) != 0) return abandon(systemError(errno));
    ::close(fd_);
    fd_ = fd;
    return syncFolderOf(path_);
}

std::error_code createFolders(const std::filesystem::path& folder) {
    std::string text = folder.native();
    for (std::size_t slash = text.find('/', 1);; slash = text.find('/', slash + 1)) {
        const std::string prefix = text.substr(0, slash);
        if (!prefix.empty() && ::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
            return systemError(errno);
        }
        if (slash == std::string::npos) break;
    }
    const auto found = existsAndKind(folder);
    if (!found.isFolder) return systemError(found.exists ? ENOTDIR : ENOENT);
    return {};
}

namespace testing {

void failDurableWrites(std::function<std::optional<int>(const std::filesystem::path&)> fault) {
    injectedFault() = std::move(fault);
}

}  // namespace testing

}  // namespace tavix::FileSystem
