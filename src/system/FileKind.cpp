#include "system/FileKind.hpp"

#include <fcntl.h>
#include <gio/gio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <memory>

#include "system/SharedLibrary.hpp"

namespace tavix::FileKind {
namespace {

// The few GIO and GLib functions used here, from GIO loaded on first use.
struct Gio {
    decltype(&::g_free) free = nullptr;
    decltype(&::g_strdup) strdup = nullptr;
    decltype(&::g_utf8_make_valid) makeValid = nullptr;
    decltype(&::g_content_type_guess) guess = nullptr;
    decltype(&::g_content_type_is_unknown) isUnknown = nullptr;
    decltype(&::g_content_type_get_description) describe = nullptr;

    bool load(void* library) {
        using SharedLibrary::resolve;
        return resolve(library, "g_free", free) && resolve(library, "g_strdup", strdup) &&
               resolve(library, "g_utf8_make_valid", makeValid) &&
               resolve(library, "g_content_type_guess", guess) &&
               resolve(library, "g_content_type_is_unknown", isUnknown) &&
               resolve(library, "g_content_type_get_description", describe);
    }
};

// Null when GIO can't be loaded: every kind is then unknown.
const Gio* gio() {
    return SharedLibrary::functions<Gio>(TAVIX_GIO_LIBRARY);
}

// As much of a file as GIO's own local file information sniffs.
constexpr std::size_t sniffLength = 4096;

struct GFree {
    void operator()(void* memory) const { gio()->free(memory); }
};
using GText = std::unique_ptr<char, GFree>;

const char* specialType(mode_t type) {
    switch (type) {
        case S_IFDIR:
            return "inode/directory";
        case S_IFCHR:
            return "inode/chardevice";
        case S_IFBLK:
            return "inode/blockdevice";
        case S_IFIFO:
            return "inode/fifo";
        case S_IFSOCK:
            return "inode/socket";
        default:
            return nullptr;
    }
}

// The first bytes of a regular file, or nothing when it can't be opened. The
// open doesn't block, so a file replaced by a FIFO since the stat can't hang us.
std::optional<std::size_t> readHead(const std::filesystem::path& path,
                                    std::array<unsigned char, sniffLength>& head) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat status;
    std::optional<std::size_t> length;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        const ssize_t count = ::pread(fd, head.data(), head.size(), 0);
        if (count >= 0) length = static_cast<std::size_t>(count);
    }
    ::close(fd);
    return length;
}

// The content type of a regular file the way GIO's local file information finds
// it: by name, then by content when the name is inconclusive.
GText regularFileType(const Gio& g, const std::filesystem::path& path, std::uint64_t size) {
    // The MIME globs are matched by decoding the name as UTF-8 without checking
    // it, so an undecodable name is repaired first; only its extension matters.
    const std::string fileName = path.filename().native();
    const GText validName(g.makeValid(fileName.c_str(), -1));

    gboolean uncertain = FALSE;
    GText type(g.guess(validName.get(), nullptr, 0, &uncertain));
    if (!uncertain) return type;

    // A file that reports no length is judged empty unread, as GIO does: files
    // under /proc report zero and may be slow or unsafe to read.
    std::array<unsigned char, sniffLength> head;
    const auto length = size == 0 ? std::optional<std::size_t>(0) : readHead(path, head);
    if (!length) return type;
    return GText(g.guess(validName.get(), head.data(), *length, nullptr));
}

}  // namespace

std::optional<std::string> describe(const std::filesystem::path& path, mode_t type,
                                    std::uint64_t size) {
    const Gio* g = gio();
    if (!g) return std::nullopt;
    GText contentType(specialType(type) ? g->strdup(specialType(type))
                                        : regularFileType(*g, path, size).release());
    if (!contentType || g->isUnknown(contentType.get())) return std::nullopt;
    const GText description(g->describe(contentType.get()));
    if (!description || *description == '\0') return std::nullopt;
    return std::string(description.get());
}

}  // namespace tavix::FileKind
