#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace tavix::FileKind {

// The localized description of the file's content type, as Linux file managers
// show it ("JPEG image", "plain text document", "folder"), from the shared MIME
// database. `type` is the S_IFMT part of the file's mode and `size` its length,
// both as the caller's stat reported them (links followed).
//
// A regular file is recognised by its name first; only when the name alone is
// inconclusive are its first bytes read (a non-blocking open, so a FIFO
// named like a file never hangs the caller). Nothing when the type stays unknown
// (the generic binary type), so callers can fall back to the extension.
std::optional<std::string> describe(const std::filesystem::path& path, mode_t type,
                                    std::uint64_t size);

}  // namespace tavix::FileKind
