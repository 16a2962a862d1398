#include "system/HeifFile.hpp"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>

namespace tavix::HeifFile {
namespace {

using Bytes = std::span<const unsigned char>;

// The brands of HEIF and AVIF files, images and image sequences alike: a
// sequence file carries a still image too, which libheif reads.
constexpr std::array<std::string_view, 10> brands{"heic", "heix", "hevc", "hevx", "heim",
                                                  "heis", "mif1", "msf1", "avif", "avis"};

std::uint32_t bigEndian32(const unsigned char* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

std::uint64_t bigEndian64(const unsigned char* p) {
    return std::uint64_t(bigEndian32(p)) << 32 | bigEndian32(p + 4);
}

bool named(const unsigned char* type, std::string_view name) {
    return std::memcmp(type, name.data(), 4) == 0;
}

struct Header {
    std::uint64_t size;  // the whole box, header included
    std::size_t headerSize;
    const unsigned char* type;
};

// The header at `p`, `available` bytes of which are at hand, of a box that may
// take up to `room` bytes; a size of 0 means "to the end of the room".
std::optional<Header> headerAt(const unsigned char* p, std::size_t available, std::uint64_t room) {
    if (available < 8) return std::nullopt;
    Header header{bigEndian32(p), 8, p + 4};
    if (header.size == 1) {
        if (available < 16) return std::nullopt;
        header.size = bigEndian64(p + 8);
        header.headerSize = 16;
    } else if (header.size == 0) {
        header.size = room;
    }
    if (header.size < header.headerSize || header.size > room) return std::nullopt;
    return header;
}

// Counts what libheif would build from the boxes it parses, through the
// boxes whose payload holds more boxes or a table of entries.
class Census {
public:
    bool box(const unsigned char* type, Bytes payload, int depth) {
        if (++boxes_ > kBoxes || depth > 8) return false;
        if (named(type, "meta")) return children(payload, 4, depth);
        if (named(type, "iinf"))
            return !payload.empty() && children(payload, payload[0] == 0 ? 6 : 8, depth);
        if (named(type, "dref")) return children(payload, 8, depth);
        if (named(type, "iprp") || named(type, "ipco") || named(type, "dinf") ||
            named(type, "grpl")) {
            return children(payload, 0, depth);
        }
        // Each child is one item's references, counted but not entered.
        if (named(type, "iref")) return children(payload, 4, depth, false);
        if (named(type, "ipma")) return payload.size() >= 8 && bigEndian32(&payload[4]) <= kEntries;
        if (named(type, "iloc")) {
            if (payload.size() < 8) return false;
            const std::uint32_t count =
                payload[0] < 2 ? std::uint32_t(payload[6]) << 8 | payload[7]
                               : (payload.size() >= 10 ? bigEndian32(&payload[6]) : kEntries + 1);
            return count <= kEntries;
        }
        return true;
    }

private:
    bool children(Bytes payload, std::size_t skip, int depth, bool enter = true) {
        if (payload.size() < skip) return false;
        for (std::size_t at = skip; at < payload.size();) {
            const std::size_t left = payload.size() - at;
            const auto header = headerAt(&payload[at], left, left);
            if (!header) return false;
            const Bytes inner =
                payload.subspan(at + header->headerSize,
                                static_cast<std::size_t>(header->size) - header->headerSize);
            if (enter ? !box(header->type, inner, depth + 1) : ++boxes_ > kBoxes) return false;
            at += static_cast<std::size_t>(header->size);
        }
        return true;
    }

    int boxes_ = 0;
};

// Top-level boxes libheif reads whole and parses; it passes over the others
// (media data, padding, vendors' boxes) by their headers.
bool parsedWhole(const unsigned char* type) {
    static constexpr std::string_view parsed[] = {"ftyp", "meta", "iinf", "iloc", "iprp",
                                                  "ipco", "ipma", "iref", "dinf", "grpl"};
    return std::any_of(std::begin(parsed), std::end(parsed),
                       [&](std::string_view name) { return named(type, name); });
}

bool readFully(int fd, unsigned char* data, std::size_t size, std::int64_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, data + done, size - done,
                                  static_cast<off_t>(offset) + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool hasHeifBrand(std::span<const unsigned char> head) {
    if (head.size() < 12 || !named(&head[4], "ftyp")) return false;
    const std::size_t boxSize = std::min<std::size_t>(bigEndian32(head.data()), head.size());
    // The major brand at 8, the minor version at 12, then the compatible brands.
    for (std::size_t at = 8; at + 4 <= boxSize; at += 4) {
        if (at == 12) continue;
        for (std::string_view brand : brands) {
            if (named(&head[at], brand)) return true;
        }
    }
    return false;
}

std::optional<std::vector<ParsedBox>> parsedBoxes(int fd, std::int64_t size) {
    std::vector<ParsedBox> parsed;
    Census census;
    std::size_t parsedBytes = 0;
    std::int64_t offset = 0;
    for (int count = 0; size - offset >= 8; ++count) {
        if (count == kTopLevelBoxes) return std::nullopt;
        std::array<unsigned char, 16> head;
        const std::size_t wanted =
            static_cast<std::size_t>(std::min<std::int64_t>(16, size - offset));
        if (!readFully(fd, head.data(), wanted, offset)) return std::nullopt;
        // A box the file ends inside is left to libheif, unless it has to read it.
        const auto header = headerAt(head.data(), wanted, UINT64_MAX);
        if (!header) return std::nullopt;
        const std::uint64_t boxSize = bigEndian32(head.data()) == 0
                                          ? static_cast<std::uint64_t>(size - offset)
                                          : header->size;
        if (parsedWhole(header->type)) {
            if (boxSize > static_cast<std::uint64_t>(size - offset) ||
                boxSize > kParsedBytes - parsedBytes) {
                return std::nullopt;
            }
            ParsedBox box{offset, std::vector<unsigned char>(static_cast<std::size_t>(boxSize))};
            if (!readFully(fd, box.bytes.data(), box.bytes.size(), offset)) return std::nullopt;
            const Bytes payload = Bytes(box.bytes).subspan(header->headerSize);
            if (!census.box(box.bytes.data() + 4, payload, 0)) return std::nullopt;
            parsedBytes += box.bytes.size();
            parsed.push_back(std::move(box));
        }
        if (boxSize >= static_cast<std::uint64_t>(size - offset)) break;
        offset += static_cast<std::int64_t>(boxSize);
    }
    return parsed;
}

}  // namespace tavix::HeifFile
