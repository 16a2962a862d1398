#include "system/SystemCalls.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavix::FileSystem::SystemCalls {

int renameNoReplace(int folder, const char* from, const char* to) {
    return ::renameat2(folder, from, folder, to, RENAME_NOREPLACE);
}

int renameExchange(int folder, const char* a, const char* b) {
    return ::renameat2(folder, a, folder, b, RENAME_EXCHANGE);
}

int open(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}

ssize_t write(int fd, const void* bytes, std::size_t size) {
    return ::write(fd, bytes, size);
}

int fsync(int fd) {
    return ::fsync(fd);
}

ssize_t readEntries(int fd, void* buffer, std::size_t size) {
    return ::getdents64(fd, buffer, size);
}

int lstat(const char* path, struct stat* status) {
    return ::lstat(path, status);
}

}  // namespace tavix::FileSystem::SystemCalls
