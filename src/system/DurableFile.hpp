#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

// A file this process creates for itself and keeps safe across crashes: made
// exclusively (never over anything), extended with plain appends, made durable
// on demand, and finally replaced in one atomic step by a finished version.
namespace tavix::FileSystem {

class DurableFile {
public:
    using Path = std::filesystem::path;

    // Creates `path` exclusively: an existing file, a folder or a link at that
    // path is never replaced (EEXIST). Nothing on failure.
    static std::unique_ptr<DurableFile> create(const Path& path, std::error_code& error);
    // Opens an existing regular file, to replace it later.
    static std::unique_ptr<DurableFile> open(const Path& path, std::error_code& error);

    ~DurableFile();
    DurableFile(const DurableFile&) = delete;
    DurableFile& operator=(const DurableFile&) = delete;

    const Path& path() const { return path_; }

    // Appends all of `bytes` (one write where the system allows, so a crash keeps
    // whole records).
    std::error_code append(std::string_view bytes);
    // Flushes the file and its folder to disk, so that the file and what was
    // appended survive a power cut.
    std::error_code sync();

    // Writes a new version through `fill` (which calls the given writer with
    // successive pieces) into a new file beside this one, makes it durable and
    // renames it over this file, then syncs the folder. Refuses (EEXIST) when the
    // entry at the path is no longer this file, so nothing else is replaced. On
    // failure this file stays as it was.
    std::error_code replace(
        const std::function<void(const std::function<void(std::string_view)>&)>& fill);

private:
    DurableFile(Path path, int fd) : path_(std::move(path)), fd_(fd) {}

    Path path_;
    int fd_ = -1;
};

// Makes `folder` and any missing parents (new folders readable by the owner only).
std::error_code createFolders(const std::filesystem::path& folder);

namespace testing {
// Tests only: while set, every write of a DurableFile (create, append, sync,
// replace) first asks `fault` with the file's path and fails with the errno it
// answers, as a full disk would. An empty function clears it.
void failDurableWrites(std::function<std::optional<int>(const std::filesystem::path&)> fault);
}  // namespace testing

}  // namespace tavix::FileSystem
