#include "system/ChunkReads.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace tavix::FileSystem {

std::error_code readSome(const Descriptor& file, char* buffer, std::size_t size, std::size_t& got) {
    got = 0;
    for (;;) {
        const ssize_t n = ::read(file.get(), buffer, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return {errno, std::system_category()};
        got = static_cast<std::size_t>(n);
        return {};
    }
}

std::error_code readAt(const Descriptor& file, std::uint64_t offset, char* buffer, std::size_t size,
                       std::size_t& got) {
    got = 0;
    for (;;) {
        const ssize_t n = ::pread(file.get(), buffer, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return {errno, std::system_category()};
        got = static_cast<std::size_t>(n);
        return {};
    }
}

std::optional<std::uint64_t> sizeOf(const Descriptor& file) {
    struct stat s;
    if (::fstat(file.get(), &s) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(s.st_size);
}

}  // namespace tavix::FileSystem
