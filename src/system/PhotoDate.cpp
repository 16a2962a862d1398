#include "system/PhotoDate.hpp"

#include <fcntl.h>
#include <libheif/heif.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "system/Descriptor.hpp"
#include "system/HeifFile.hpp"
#include "system/SharedLibrary.hpp"

namespace tavix::PhotoDate {
namespace {

using Timestamp = FileSystem::Timestamp;
using Span = std::span<const unsigned char>;
using ExifDate::Wanted;

// The EXIF reader looks no further than 64 KiB into a block, "Exif\0\0"
// included, so no more is ever read. The other caps keep a damaged or hostile
// file from costing more than a few small reads.
constexpr std::size_t exifWindow = 0xfffe;
constexpr std::size_t exifCap = 256 * 1024;
constexpr std::uint64_t jpegScanCap = 1024 * 1024;
constexpr std::size_t heifReadCap = 4 * 1024 * 1024;
constexpr int chunkCap = 4096;

// The first bytes of a file: its format, and in a JPEG usually the whole EXIF
// block. Left unfilled: only the bytes read are looked at.
using FirstBytes = std::array<unsigned char, 4096>;

// Reads up to `size` bytes at `offset` into `data`; fewer at the end of the file.
std::size_t readAt(int fd, std::uint64_t offset, unsigned char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, data + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

std::uint32_t bigEndian32(const unsigned char* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

std::uint32_t littleEndian32(const unsigned char* p) {
    return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

bool startsWith(Span bytes, std::string_view prefix, std::size_t at = 0) {
    return bytes.size() >= at + prefix.size() &&
           std::memcmp(bytes.data() + at, prefix.data(), prefix.size()) == 0;
}

// The dates of the EXIF block of `whole` bytes at `offset`, of which the
// first `inHand.size()` are already read. The rest is read only when the two
// tags lie past them.
Dates blockAt(int fd, std::uint64_t offset, std::size_t whole, Span inHand, Wanted wanted) {
    whole = std::min(whole, exifWindow);
    if (!inHand.empty()) {
        bool needsMore = false;
        const auto tags =
            ExifDate::tags(inHand.first(std::min(inHand.size(), whole)), whole, needsMore);
        if (!needsMore) {
            return tags && !tags->date.empty() ? ExifDate::parse(tags->date, tags->offset, wanted)
                                               : Dates{};
        }
    }
    const auto block = std::make_unique_for_overwrite<unsigned char[]>(whole);
    return ExifDate::dates(Span(block.get(), readAt(fd, offset, block.get(), whole)), wanted);
}

// The EXIF block of a JPEG is the first APP1 segment that starts "Exif\0\0";
// segments are walked by their lengths up to the first scan.
Dates fromJpeg(int fd, Span first, Wanted wanted) {
    std::uint64_t at = 2;
    for (int segment = 0; segment < chunkCap && at < jpegScanCap; ++segment) {
        std::array<unsigned char, 10> marker;
        const Span p = at + marker.size() <= first.size()
                           ? first.subspan(static_cast<std::size_t>(at), marker.size())
                           : Span(marker.data(), readAt(fd, at, marker.data(), marker.size()));
        if (p.size() < 2 || p[0] != 0xFF) return {};
        const unsigned char type = p[1];
        if (type == 0xFF) {  // fill byte
            at += 1;
            continue;
        }
        if (type == 0xD8 || type == 0x01 || (type >= 0xD0 && type <= 0xD7)) {  // no length
            at += 2;
            continue;
        }
        if (type == 0xDA || type == 0xD9 || p.size() < 4) return {};  // scan or end: no EXIF
        const std::size_t length = std::size_t{p[2]} << 8 | p[3];
        if (length < 2) return {};
        if (type == 0xE1 && length >= 8 && p.size() >= 10 &&
            std::memcmp(p.data() + 4, "Exif\0\0", 6) == 0) {
            const std::uint64_t start = at + 4;
            const Span inHand =
                start < first.size() ? first.subspan(static_cast<std::size_t>(start)) : Span{};
            return blockAt(fd, start, length - 2, inHand, wanted);
        }
        at += 2 + length;
    }
    return {};
}

// PNG keeps the EXIF block in an eXIf chunk.
Dates fromPng(int fd, Wanted wanted) {
    std::uint64_t offset = 8;
    for (int i = 0; i < chunkCap; ++i) {
        std::array<unsigned char, 8> header;
        if (readAt(fd, offset, header.data(), header.size()) < header.size()) break;
        const std::uint32_t length = bigEndian32(header.data());
        if (startsWith(header, "eXIf", 4)) {
            if (length > exifCap) break;
            return blockAt(fd, offset + 8, length, {}, wanted);
        }
        if (startsWith(header, "IEND", 4)) break;
        offset += 12ull + length;
    }
    return {};
}

// WebP keeps it in an EXIF chunk of its RIFF container, after the image data.
Dates fromWebp(int fd, Wanted wanted) {
    std::uint64_t offset = 12;
    for (int i = 0; i < chunkCap; ++i) {
        std::array<unsigned char, 8> header;
        if (readAt(fd, offset, header.data(), header.size()) < header.size()) break;
        const std::uint32_t length = littleEndian32(header.data() + 4);
        if (startsWith(header, "EXIF")) {
            if (length > exifCap) break;
            return blockAt(fd, offset + 8, length, {}, wanted);
        }
        offset += 8ull + length + (length & 1u);
    }
    return {};
}

// HEIF and AVIF go through libheif. The boxes it parses were read whole by the
// layout check and are served from memory; anything else (the EXIF item in
// the media data) is read through a budget, so that a damaged file can't make
// it read more than the header's share.
struct HeifSource {
    int fd;
    std::int64_t size;
    std::vector<HeifFile::ParsedBox> parsed;
    std::int64_t position = 0;
    std::size_t budget = heifReadCap;

    bool read(void* data, std::size_t length) {
        for (const auto& box : parsed) {
            const auto begin = static_cast<std::int64_t>(position - box.offset);
            if (begin >= 0 && static_cast<std::size_t>(begin) + length <= box.bytes.size()) {
                // libheif may ask for nothing, with no buffer at all.
                if (length > 0) std::memcpy(data, box.bytes.data() + begin, length);
                position += static_cast<std::int64_t>(length);
                return true;
            }
        }
        if (length > budget) return false;
        budget -= length;
        if (readAt(fd, static_cast<std::uint64_t>(position), static_cast<unsigned char*>(data),
                   length) != length) {
            return false;
        }
        position += static_cast<std::int64_t>(length);
        return true;
    }
};

const heif_reader heifReader{
    1,
    [](void* source) -> std::int64_t { return static_cast<HeifSource*>(source)->position; },
    [](void* data, std::size_t size, void* source) -> int {
        return static_cast<HeifSource*>(source)->read(data, size) ? 0 : -1;
    },
    [](std::int64_t position, void* source) -> int {
        auto* s = static_cast<HeifSource*>(source);
        if (position < 0 || position > s->size) return -1;
        s->position = position;
        return 0;
    },
    [](std::int64_t target, void* source) -> heif_reader_grow_status {
        return target > static_cast<HeifSource*>(source)->size
                   ? heif_reader_grow_status_size_beyond_eof
                   : heif_reader_grow_status_size_reached;
    },
};

// libheif (and the codecs it links) is loaded on the first HEIF or AVIF file,
// so that nothing else pays for loading it. Null when it can't be loaded: such
// files then have no date taken.
struct Heif {
    decltype(&::heif_context_alloc) contextAlloc = nullptr;
    decltype(&::heif_context_free) contextFree = nullptr;
    decltype(&::heif_context_read_from_reader) readFromReader = nullptr;
    decltype(&::heif_context_get_primary_image_handle) primaryImage = nullptr;
    decltype(&::heif_image_handle_release) releaseImage = nullptr;
    decltype(&::heif_image_handle_get_list_of_metadata_block_IDs) metadataIds = nullptr;
    decltype(&::heif_image_handle_get_metadata_size) metadataSize = nullptr;
    decltype(&::heif_image_handle_get_metadata) metadata = nullptr;

    bool load(void* library) {
        using SharedLibrary::resolve;
        return resolve(library, "heif_context_alloc", contextAlloc) &&
               resolve(library, "heif_context_free", contextFree) &&
               resolve(library, "heif_context_read_from_reader", readFromReader) &&
               resolve(library, "heif_context_get_primary_image_handle", primaryImage) &&
               resolve(library, "heif_image_handle_release", releaseImage) &&
               resolve(library, "heif_image_handle_get_list_of_metadata_block_IDs", metadataIds) &&
               resolve(library, "heif_image_handle_get_metadata_size", metadataSize) &&
               resolve(library, "heif_image_handle_get_metadata", metadata);
    }
};

const Heif* heif() {
    return SharedLibrary::functions<Heif>(TAVIX_HEIF_LIBRARY);
}

Dates fromHeif(int fd, std::int64_t size, Wanted wanted) {
    // A file beyond the layout bounds never reaches libheif.
    auto parsed = HeifFile::parsedBoxes(fd, size);
    if (!parsed) return {};
    const Heif* library = ::tavix::PhotoDate::heif();
    if (!library) return {};
    std::unique_ptr<heif_context, decltype(&::heif_context_free)> context(library->contextAlloc(),
                                                                          library->contextFree);
    HeifSource source{fd, size, std::move(*parsed)};
    if (!context || library->readFromReader(context.get(), &heifReader, &source, nullptr).code !=
                        heif_error_Ok) {
        return {};
    }
    heif_image_handle* raw = nullptr;
    if (library->primaryImage(context.get(), &raw).code != heif_error_Ok) return {};
    std::unique_ptr<heif_image_handle, decltype(&::heif_image_handle_release)> handle(
        raw, library->releaseImage);
    heif_item_id id = 0;
    if (library->metadataIds(handle.get(), "Exif", &id, 1) < 1) return {};
    const std::size_t length = library->metadataSize(handle.get(), id);
    if (length < 4 || length > exifCap) return {};
    std::vector<unsigned char> item(length);
    if (library->metadata(handle.get(), id, item.data()).code != heif_error_Ok) return {};
    // The item starts with the offset of the TIFF header past its own four bytes.
    const std::uint32_t skip = bigEndian32(item.data());
    if (skip > length - 4) return {};
    return ExifDate::dates(Span(item).subspan(4 + skip), wanted);
}

Dates readDates(const std::filesystem::path& path, Wanted wanted) {
    // Not blocking on open keeps a FIFO in the list from hanging the caller.
    const FileSystem::Descriptor file(
        ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    struct stat facts {};
    if (!file || ::fstat(file.get(), &facts) != 0 || !S_ISREG(facts.st_mode)) return {};
    FirstBytes bytes;
    const Span first(bytes.data(), readAt(file.get(), 0, bytes.data(), bytes.size()));
    if (startsWith(first, "\xFF\xD8\xFF")) return fromJpeg(file.get(), first, wanted);
    if (startsWith(first, "\x89PNG\r\n\x1A\n")) return fromPng(file.get(), wanted);
    if (startsWith(first, "RIFF") && startsWith(first, "WEBP", 8)) {
        return fromWebp(file.get(), wanted);
    }
    if (startsWith(first, std::string_view("II*\0", 4)) ||
        startsWith(first, std::string_view("MM\0*", 4))) {
        // Camera files keep their first directory and its EXIF part at the start.
        return blockAt(file.get(), 0, static_cast<std::size_t>(facts.st_size), first, wanted);
    }
    if (HeifFile::hasHeifBrand(first)) return fromHeif(file.get(), facts.st_size, wanted);
    return {};
}

}  // namespace

Dates read(const std::filesystem::path& path) {
    return readDates(path, Wanted::both);
}

std::optional<Timestamp> taken(const std::filesystem::path& path, Reading reading) {
    if (reading == Reading::moment) return readDates(path, Wanted::moment).moment;
    return readDates(path, Wanted::both).cameraClock;
}

std::optional<Timestamp> takenOrModified(const std::filesystem::path& path, Reading reading) {
    if (auto date = taken(path, reading)) return date;
    return FileSystem::modificationTime(path);
}

}  // namespace tavix::PhotoDate
