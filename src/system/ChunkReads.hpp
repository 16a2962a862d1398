#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <system_error>

#include "system/Descriptor.hpp"

// Reading an open file a piece at a time, forward from where it stands or at a
// given offset, so a reader holds one buffer whatever the file's size.
namespace tavix::FileSystem {

// Reads up to `size` bytes into `buffer` from the file's current offset; `got`
// is 0 at the end of the file.
std::error_code readSome(const Descriptor& file, char* buffer, std::size_t size, std::size_t& got);
// The same at `offset`, leaving the file's own offset alone.
std::error_code readAt(const Descriptor& file, std::uint64_t offset, char* buffer, std::size_t size,
                       std::size_t& got);
// The file's size in bytes, or nothing when it can't be asked.
std::optional<std::uint64_t> sizeOf(const Descriptor& file);

}  // namespace tavix::FileSystem
