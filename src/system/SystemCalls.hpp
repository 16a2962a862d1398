#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>

// The system calls whose failures tests have to bring about on demand (a full
// disk, a file system without RENAME_NOREPLACE or RENAME_EXCHANGE, a folder that
// can't be read, a volume that ignores letter case, a crash part way through a
// batch): the code of this folder makes them through these functions and
// nowhere else. SystemCalls.cpp makes each call and nothing more; a test
// program defines every one of these functions itself, and the linker then
// never takes that file from the library, so the programs carry no fault of
// any kind and ask none.
namespace tavix::FileSystem::SystemCalls {

// renameat2(folder, from, folder, to, RENAME_NOREPLACE): 0, or -1 and errno.
int renameNoReplace(int folder, const char* from, const char* to);
// renameat2(folder, a, folder, b, RENAME_EXCHANGE): 0, or -1 and errno.
int renameExchange(int folder, const char* a, const char* b);
// open(2).
int open(const char* path, int flags, mode_t mode);
// write(2).
ssize_t write(int fd, const void* bytes, std::size_t size);
// fsync(2).
int fsync(int fd);
// getdents64(2).
ssize_t readEntries(int fd, void* buffer, std::size_t size);
// lstat(2).
int lstat(const char* path, struct stat* status);

}  // namespace tavix::FileSystem::SystemCalls
