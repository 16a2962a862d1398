#include "system/Descriptor.hpp"

#include <unistd.h>

namespace tavix::FileSystem {

void Descriptor::reset() {
    // close() releases the descriptor even when it reports EINTR on Linux, so it
    // is never retried.
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace tavix::FileSystem
