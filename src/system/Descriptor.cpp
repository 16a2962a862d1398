#include "system/Descriptor.hpp"

#include <unistd.h>

#include <cerrno>

#include "system/SystemCalls.hpp"

namespace tavix::FileSystem {

void Descriptor::reset() {
    // close() releases the descriptor even when it reports EINTR on Linux, so it
    // is never retried.
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::error_code writeAll(const Descriptor& file, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = SystemCalls::write(file.get(), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return systemError(errno);
        if (n == 0) return systemError(EIO);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

std::error_code sync(const Descriptor& file) {
    if (SystemCalls::fsync(file.get()) != 0) return systemError(errno);
    return {};
}

}  // namespace tavix::FileSystem
