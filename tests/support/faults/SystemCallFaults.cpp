#include "support/SystemCallFaults.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <string>

#include "system/SystemCalls.hpp"

namespace tavix {
namespace {

namespace fs = std::filesystem;

std::function<std::optional<int>(const fs::path&, const fs::path&)> moveFault;
bool exclusiveRenamesRefused = false;
bool exchangesRefused = false;
std::function<std::optional<int>(const fs::path&)> writeFault;
int folderReadFault = 0;
fs::path foldingFolder;

// The path an open descriptor was opened at.
fs::path pathOf(int fd) {
    std::error_code error;
    return fs::read_symlink("/proc/self/fd/" + std::to_string(fd), error);
}

// `name` within the folder open as `folder` (AT_FDCWD: the name as it is).
fs::path within(int folder, const char* name) {
    return folder == AT_FDCWD ? fs::path(name) : pathOf(folder) / name;
}

// -1 with errno set to `error` when there is one, else 0.
int failWith(std::optional<int> error) {
    if (!error) return 0;
    errno = *error;
    return -1;
}

// What the write fault answers for `path`, and the move fault for a move.
int failedWrite(const fs::path& path) {
    return writeFault ? failWith(writeFault(path)) : 0;
}
int failedMove(int folder, const char* from, const char* to) {
    return moveFault ? failWith(moveFault(within(folder, from), within(folder, to))) : 0;
}

// The entry of the folding folder spelled like `path`'s name but for ASCII
// letter case, when `path` is in that folder; itself when it is spelled so.
std::optional<fs::path> foldedEntry(const fs::path& path) {
    if (foldingFolder.empty() || path.parent_path() != foldingFolder) return std::nullopt;
    const std::string name = path.filename().string();
    const auto lower = [](std::string text) {
        for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    for (const auto& entry : fs::directory_iterator(foldingFolder))
        if (lower(entry.path().filename().string()) == lower(name)) return entry.path();
    return std::nullopt;
}

}  // namespace

namespace test {

void foldLetterCase(fs::path folder) {
    foldingFolder = std::move(folder);
}

void failMovesTo(std::function<std::optional<int>(const fs::path&, const fs::path&)> fault) {
    moveFault = std::move(fault);
}

void refuseExclusiveRenames(bool refuse) {
    exclusiveRenamesRefused = refuse;
}

void refuseExchanges(bool refuse) {
    exchangesRefused = refuse;
}

void failWrites(std::function<std::optional<int>(const fs::path&)> fault) {
    writeFault = std::move(fault);
}

void failFolderReads(int error) {
    folderReadFault = error;
}

}  // namespace test

// The test programs' system calls, taken by the linker before the library's.
namespace FileSystem::SystemCalls {

int renameNoReplace(int folder, const char* from, const char* to) {
    if (failedMove(folder, from, to) != 0) return -1;
    if (foldedEntry(within(folder, to))) return failWith(EEXIST);
    if (exclusiveRenamesRefused) return failWith(EINVAL);
    return ::renameat2(folder, from, folder, to, RENAME_NOREPLACE);
}

int renameExchange(int folder, const char* a, const char* b) {
    if (failedMove(folder, a, b) != 0) return -1;
    if (exchangesRefused) return failWith(EINVAL);
    return ::renameat2(folder, a, folder, b, RENAME_EXCHANGE);
}

int open(const char* path, int flags, mode_t mode) {
    if ((flags & O_ACCMODE) != O_RDONLY && failedWrite(path) != 0) return -1;
    return ::open(path, flags, mode);
}

ssize_t write(int fd, const void* bytes, std::size_t size) {
    if (writeFault && failedWrite(pathOf(fd)) != 0) return -1;
    return ::write(fd, bytes, size);
}

int fsync(int fd) {
    if (writeFault && failedWrite(pathOf(fd)) != 0) return -1;
    return ::fsync(fd);
}

ssize_t readEntries(int fd, void* buffer, std::size_t size) {
    if (folderReadFault != 0) return failWith(folderReadFault);
    return ::getdents64(fd, buffer, size);
}

int lstat(const char* path, struct stat* status) {
    if (::lstat(path, status) == 0) return 0;
    const int error = errno;
    if (const auto entry = foldedEntry(path); entry && ::lstat(entry->c_str(), status) == 0) {
        // Each spelling gets its own number, as the volume gives it.
        status->st_ino += 1 + std::hash<std::string>{}(fs::path(path).filename().string()) % 1000;
        return 0;
    }
    errno = error;
    return -1;
}

}  // namespace FileSystem::SystemCalls
}  // namespace tavix
