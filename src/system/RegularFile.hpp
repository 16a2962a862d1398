#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <system_error>

#include "system/Descriptor.hpp"

// Reading files that a person or another program hands us (journals, presets,
// lists): only regular files are read, so a FIFO can't block us and a device
// can't feed us without end, and every read is bounded.
namespace tavix::FileSystem {

// Errors of our own, beside the system's errno values.
enum class FileError {
    notRegular = 1,  // a FIFO, device, socket or folder where a file was expected
    tooLarge,        // more bytes than the reader allows
};
const std::error_category& fileErrorCategory();
std::error_code make_error_code(FileError error);

// Opens `path` for reading, following symbolic links, and refuses anything that
// isn't a regular file (FileError::notRegular) without ever blocking on it: a
// FIFO is opened non-blocking, then refused. Holds nothing on failure.
Descriptor openRegular(const std::filesystem::path& path, std::error_code& error);
// The same, but a symbolic link at `path` itself is refused (ELOOP).
Descriptor openRegularNoFollow(const std::filesystem::path& path, std::error_code& error);

// Opens `path` for reading whatever it is (a regular file, a pipe, a FIFO, a
// device) without waiting: a FIFO is opened non-blocking, so one that nothing
// writes to reads as empty rather than holding us up. A folder is EISDIR.
Descriptor openForReading(const std::filesystem::path& path, std::error_code& error);

// Reads `file` from its current offset to its end into `out` (replacing what it
// held). More than `limit` bytes is FileError::tooLarge.
std::error_code readAll(const Descriptor& file, std::size_t limit, std::string& out);
// Opens `path` as openRegular does and reads it whole under `limit`.
std::error_code readRegularFile(const std::filesystem::path& path, std::size_t limit,
                                std::string& out);

}  // namespace tavix::FileSystem

template <>
struct std::is_error_code_enum<tavix::FileSystem::FileError> : std::true_type {};
