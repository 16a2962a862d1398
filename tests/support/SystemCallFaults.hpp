#pragma once

#include <filesystem>
#include <functional>
#include <optional>

// Faults the machine can't produce on demand (running as root ignores
// permission bits and reads any folder; local file systems all accept
// RENAME_NOREPLACE and RENAME_EXCHANGE; a disk fills up when it likes), made by the test programs'
// own system calls (faults/SystemCallFaults.cpp) in place of the library's.
// Not thread-safe: set and clear them around the test.
namespace tavix::test {

// While set, every move (and every swap of two names, as a move from the
// first to the second) first asks `fault` with its two whole paths and fails
// with the errno it answers, without touching the disk. Empty clears it.
void failMovesTo(std::function<std::optional<int>(const std::filesystem::path& from,
                                                  const std::filesystem::path& to)>
                     fault);

// While true, moves behave as on a file system that rejects RENAME_NOREPLACE.
void refuseExclusiveRenames(bool refuse);

// While true, swapping two names fails with EINVAL, as on a file system
// without RENAME_EXCHANGE.
void refuseExchanges(bool refuse);

// While set, every open for writing, write and sync (of a file or a folder)
// first asks `fault` with the file's path and fails with the errno it answers,
// as a full disk would. Empty clears it.
void failWrites(std::function<std::optional<int>(const std::filesystem::path&)> fault);

// While not 0, reading a folder's entries fails with this errno.
void failFolderReads(int error);

// While it is set (an empty path clears it), `folder` behaves as FoldLetterCase says.
void foldLetterCase(std::filesystem::path folder);

// While it lives, `folder` behaves as on a volume that ignores letter case and
// numbers each spelling of a name apart (FAT through FUSE): lstat of a name no
// entry is spelled as, but one is but for ASCII letter case, finds that entry
// under an inode number of its own, and a move to such a name fails with
// EEXIST. Only the file system services' lstat and moves see it.
class FoldLetterCase {
public:
    explicit FoldLetterCase(std::filesystem::path folder) { foldLetterCase(std::move(folder)); }
    ~FoldLetterCase() { foldLetterCase({}); }
    FoldLetterCase(const FoldLetterCase&) = delete;
    FoldLetterCase& operator=(const FoldLetterCase&) = delete;
};

// While it lives, `hook` sees every move the file system services make; an
// errno it returns makes that move fail.
class MoveHook {
public:
    using Hook = std::function<std::optional<int>(const std::filesystem::path& from,
                                                  const std::filesystem::path& to)>;
    explicit MoveHook(Hook hook) { failMovesTo(std::move(hook)); }
    ~MoveHook() { failMovesTo({}); }
    MoveHook(const MoveHook&) = delete;
    MoveHook& operator=(const MoveHook&) = delete;
};

}  // namespace tavix::test
