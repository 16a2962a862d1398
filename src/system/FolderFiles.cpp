#include "system/FolderFiles.hpp"

#include <dirent.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace tavix::FileSystem {

std::vector<std::string> namesIn(const std::filesystem::path& folder, std::error_code& error) {
    std::vector<std::string> names;
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir) {
        error = {errno, std::system_category()};
        return names;
    }
    error.clear();
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            names.emplace_back(entry->d_name);
        }
        errno = 0;
    }
    if (errno != 0) error = {errno, std::system_category()};
    return names;
}

std::optional<std::string> resolvedFolder(const std::string& folder) {
    const std::unique_ptr<char, void (*)(void*)> resolved(::realpath(folder.c_str(), nullptr),
                                                          &std::free);
    if (!resolved) return std::nullopt;
    return std::string(resolved.get());
}

}  // namespace tavix::FileSystem
