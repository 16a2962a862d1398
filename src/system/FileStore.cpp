#include "system/FileStore.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "system/AppendOnlyFile.hpp"
#include "system/Descriptor.hpp"
#include "system/FileSystem.hpp"
#include "system/Folders.hpp"

namespace tavix::FileSystem {
namespace {

// A hidden name beside `path` that no file has yet: the caller creates it
// exclusively and tries again on EEXIST.
std::filesystem::path temporaryBeside(const std::filesystem::path& path) {
    static constexpr std::string_view letters = "abcdefghijklmnopqrstuvwxyz0123456789";
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, letters.size() - 1);
    // Appended piece by piece: GCC 12 at -O3 warns falsely about "." + string.
    std::string name(1, '.');
    name += path.filename().native();
    name += '.';
    for (int i = 0; i < 8; ++i) name += letters[pick(random)];
    return path.parent_path() / name;
}

}  // namespace

std::vector<std::string> regularFileNames(const std::filesystem::path& folder,
                                          std::error_code& error) {
    std::vector<std::string> names;
    Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd) {
        error = systemError(errno);
        return names;
    }
    DIR* entries = ::fdopendir(fd.get());
    if (!entries) {
        error = systemError(errno);
        return names;
    }
    // The listing owns the descriptor from here on; closedir closes it.
    const int folderFd = fd.release();
    error.clear();
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(entries);
        if (!entry) {
            if (errno != 0) error = systemError(errno);
            break;
        }
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        // Links are followed: a preset may be a link to a file kept elsewhere.
        struct stat status;
        if (::fstatat(folderFd, entry->d_name, &status, 0) != 0 || !S_ISREG(status.st_mode)) {
            continue;
        }
        names.emplace_back(name);
    }
    ::closedir(entries);
    return names;
}

std::error_code saveWhole(const std::filesystem::path& path, std::string_view contents,
                          bool replace) {
    const std::filesystem::path folder = path.parent_path();
    if (auto error = createFolders(folder)) return error;

    std::error_code error;
    AppendOnlyFile file;
    std::filesystem::path temporary;
    for (int attempt = 0; !file && attempt < 100; ++attempt) {
        temporary = temporaryBeside(path);
        file = AppendOnlyFile::create(temporary, error, 0644);
        if (!file && error != std::errc::file_exists) return error;
    }
    if (!file) return error;
    // The folder is synced once the file has its name.
    if (!(error = file.append(contents))) error = file.sync(false);
    file = {};
    if (!error) {
        if (replace) {
            if (::rename(temporary.c_str(), path.c_str()) != 0) error = systemError(errno);
        } else {
            // Exclusive: the check and the move are one step.
            error = move(Location(temporary), Location(path));
        }
    }
    if (error) {
        ::unlink(temporary.c_str());
        return error;
    }
    return syncFolder(folder);
}

std::error_code removeFile(const std::filesystem::path& path) {
    if (::unlink(path.c_str()) != 0) return systemError(errno);
    return {};
}

}  // namespace tavix::FileSystem
