#include "system/AppendOnlyFile.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

bool sameFile(int fd, const std::filesystem::path& path) {
    struct stat open;
    struct stat there;
    return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &there) == 0 &&
           open.st_dev == there.st_dev && open.st_ino == there.st_ino;
}

}  // namespace

AppendOnlyFile AppendOnlyFile::create(const std::filesystem::path& path, std::error_code& error) {
    if ((error = injected(path))) return {};
    // O_EXCL also refuses a symbolic link at the path, even a dangling one.
    Descriptor file(
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600));
    if (!file) {
        error = systemError(errno);
        return {};
    }
    error.clear();
    return {path, std::move(file)};
}

AppendOnlyFile AppendOnlyFile::reopen(const std::filesystem::path& path, const Descriptor& reading,
                                      std::error_code& error) {
    if ((error = injected(path))) return {};
    // Non-blocking, so that whatever now stands at the path can't make us wait.
    Descriptor file(::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!file) {
        error = systemError(errno);
        return {};
    }
    struct stat read;
    struct stat write;
    if (::fstat(reading.get(), &read) != 0 || ::fstat(file.get(), &write) != 0) {
        error = systemError(errno);
        return {};
    }
    if (read.st_dev != write.st_dev || read.st_ino != write.st_ino) {
        error = systemError(ESTALE);
        return {};
    }
    ::fcntl(file.get(), F_SETFL, ::fcntl(file.get(), F_GETFL) & ~O_NONBLOCK);
    error.clear();
    return {path, std::move(file)};
}

std::error_code AppendOnlyFile::append(std::string_view bytes) {
    if (auto error = injected(path_)) return error;
    while (!bytes.empty()) {
        const ssize_t n = ::write(file_.get(), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return systemError(errno);
        if (n == 0) return systemError(EIO);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

std::error_code AppendOnlyFile::sync(bool folderToo) {
    if (auto error = injected(path_)) return error;
    if (::fsync(file_.get()) != 0) return systemError(errno);
    return folderToo ? syncFolder(PathNames::folder(path_)) : std::error_code();
}

bool AppendOnlyFile::stillAtPath() const {
    return file_ && sameFile(file_.get(), path_);
}

std::error_code syncFolder(const std::filesystem::path& folder) {
    const Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) return systemError(errno);
    if (::fsync(fd.get()) != 0 && errno != EINVAL && errno != EROFS) return systemError(errno);
    return {};
}

namespace testing {

void failAppends(std::function<std::optional<int>(const std::filesystem::path&)> fault) {
    injectedFault() = std::move(fault);
}

}  // namespace testing

}  // namespace tavix::FileSystem
