#include "system/RegularFile.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "system/ChunkReads.hpp"

namespace tavix::FileSystem {
namespace {

class FileErrorCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "tavix.file"; }
    std::string message(int value) const override {
        switch (static_cast<FileError>(value)) {
            case FileError::notRegular:
                return "not a regular file";
            case FileError::tooLarge:
                return "file too large";
        }
        return "unknown error";
    }
};

Descriptor openChecked(const std::filesystem::path& path, int flags, std::error_code& error) {
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | flags));
    if (!file) {
        error = {errno, std::system_category()};
        return {};
    }
    struct stat status;
    if (::fstat(file.get(), &status) != 0) {
        error = {errno, std::system_category()};
        return {};
    }
    if (!S_ISREG(status.st_mode)) {
        error = FileError::notRegular;
        return {};
    }
    // Reads of a regular file never block anyway; clear the flag for plain reads.
    ::fcntl(file.get(), F_SETFL, ::fcntl(file.get(), F_GETFL) & ~O_NONBLOCK);
    error.clear();
    return file;
}

}  // namespace

Descriptor openForReading(const std::filesystem::path& path, std::error_code& error) {
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat status;
    if (!file || ::fstat(file.get(), &status) != 0) {
        error = systemError(errno);
        return {};
    }
    if (S_ISDIR(status.st_mode)) {
        error = systemError(EISDIR);
        return {};
    }
    // Blocking reads from here: a pipe with a writer is read as it is written;
    // one without a writer is at its end at once.
    ::fcntl(file.get(), F_SETFL, ::fcntl(file.get(), F_GETFL) & ~O_NONBLOCK);
    error.clear();
    return file;
}

const std::error_category& fileErrorCategory() {
    static const FileErrorCategory category;
    return category;
}

std::error_code make_error_code(FileError error) {
    return {static_cast<int>(error), fileErrorCategory()};
}

Descriptor openRegular(const std::filesystem::path& path, std::error_code& error) {
    return openChecked(path, 0, error);
}

Descriptor openRegularNoFollow(const std::filesystem::path& path, std::error_code& error) {
    return openChecked(path, O_NOFOLLOW, error);
}

std::error_code readAll(const Descriptor& file, std::size_t limit, std::string& out) {
    // Read straight into `out`, sized at once from a regular file's length (one
    // byte more, to meet its end without growing): a list of millions of paths
    // is then neither copied through a buffer nor moved each time it grows.
    std::size_t room = 64 * 1024;
    if (const auto length = sizeOf(file); length && *length > 0 && *length < SIZE_MAX) {
        room = static_cast<std::size_t>(*length) + 1;
    }
    // Never more room than one byte past the limit: that byte tells it was passed.
    const std::size_t most = limit < SIZE_MAX ? limit + 1 : limit;
    out.clear();
    out.resize(std::min(room, most));
    std::size_t size = 0;
    for (;;) {
        if (size == out.size()) {
            if (size >= most) {
                out.clear();
                return FileError::tooLarge;
            }
            out.resize(size <= most / 2 ? 2 * size : most);
        }
        std::size_t got = 0;
        if (const std::error_code error =
                readSome(file, out.data() + size, out.size() - size, got)) {
            out.clear();
            return error;
        }
        if (got == 0) break;
        size += got;
    }
    out.resize(size);
    if (size > limit) {
        out.clear();
        return FileError::tooLarge;
    }
    return {};
}

std::error_code readRegularFile(const std::filesystem::path& path, std::size_t limit,
                                std::string& out) {
    std::error_code error;
    const Descriptor file = openRegular(path, error);
    if (error) return error;
    return readAll(file, limit, out);
}

}  // namespace tavix::FileSystem
