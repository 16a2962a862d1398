#include "system/AppendOnlyFile.hpp"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "system/Folders.hpp"
#include "system/SystemCalls.hpp"
#include "text/PathNames.hpp"

namespace tavix::FileSystem {
namespace {

bool sameFile(int fd, const std::filesystem::path& path) {
    struct stat open;
    struct stat there;
    return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &there) == 0 &&
           open.st_dev == there.st_dev && open.st_ino == there.st_ino;
}

}  // namespace

AppendOnlyFile AppendOnlyFile::create(const std::filesystem::path& path, std::error_code& error,
                                      unsigned permissions) {
    // O_EXCL also refuses a symbolic link at the path, even a dangling one.
    Descriptor file(SystemCalls::open(path.c_str(),
                                      O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                                      static_cast<mode_t>(permissions)));
    if (!file) {
        error = systemError(errno);
        return {};
    }
    error.clear();
    return {path, std::move(file)};
}

AppendOnlyFile AppendOnlyFile::reopen(const std::filesystem::path& path, const Descriptor& reading,
                                      std::error_code& error) {
    // Non-blocking, so that whatever now stands at the path can't make us wait.
    Descriptor file(SystemCalls::open(
        path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0));
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
    return writeAll(file_, bytes);
}

std::error_code AppendOnlyFile::sync(bool folderToo) {
    if (auto error = FileSystem::sync(file_)) return error;
    return folderToo ? syncFolder(PathNames::folder(path_)) : std::error_code();
}

bool AppendOnlyFile::stillAtPath() const {
    return file_ && sameFile(file_.get(), path_);
}

}  // namespace tavix::FileSystem
