#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

#include "system/Descriptor.hpp"
#include "system/FileSystem.hpp"

// A file that is only ever appended to: created exclusively (never over
// anything, never through a link), or reopened for appending while it is being
// read. A crash can cut its last line short but never changes what was written.
namespace tavix::FileSystem {

class AppendOnlyFile {
public:
    // Creates `path` exclusively, with `permissions` (by default readable and
    // writable by its owner only). EEXIST when anything (a file, a folder, a
    // link) stands at the path.
    static AppendOnlyFile create(const std::filesystem::path& path, std::error_code& error,
                                 unsigned permissions = 0600);
    // Opens for appending the file that `reading` is open on, found at `path`;
    // ESTALE when the entry at `path` is no longer that file.
    static AppendOnlyFile reopen(const std::filesystem::path& path, const Descriptor& reading,
                                 std::error_code& error);

    AppendOnlyFile() = default;
    explicit operator bool() const { return static_cast<bool>(file_); }
    const std::filesystem::path& path() const { return path_; }

    // Appends all of `bytes`, in one write where the system allows.
    std::error_code append(std::string_view bytes);
    // Flushes the file's data to disk and, with `folderToo`, the folder entry
    // that names it, so a new file survives a power cut.
    std::error_code sync(bool folderToo = true);
    // Whether the entry at the path is still this file: a journal replaced or
    // removed while a batch runs can no longer be found by undo.
    bool stillAtPath() const;

private:
    AppendOnlyFile(std::filesystem::path path, Descriptor file)
        : path_(std::move(path)), file_(std::move(file)) {}

    std::filesystem::path path_;
    Descriptor file_;
};

}  // namespace tavix::FileSystem
