#include "system/Folders.hpp"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "system/Descriptor.hpp"
#include "system/FileSystem.hpp"
#include "system/SystemCalls.hpp"

namespace tavix::FileSystem {

std::error_code createFolders(const std::filesystem::path& folder) {
    const std::string& text = folder.native();
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

std::error_code syncFolder(const std::filesystem::path& folder) {
    const Descriptor fd(SystemCalls::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
    if (!fd) return systemError(errno);
    if (SystemCalls::fsync(fd.get()) != 0 && errno != EINVAL && errno != EROFS) {
        return systemError(errno);
    }
    return {};
}

}  // namespace tavix::FileSystem
