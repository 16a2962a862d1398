#include "system/PhotoDate.hpp"
#include "system/SharedLibrary.hpp"

#include <fcntl.h>
#include <libexif/exif-data.h>
#include <libexif/exif-loader.h>
#include <libheif/heif.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

namespace tavix::PhotoDate {
namespace {

using Timestamp = FileSystem::Timestamp;
using Bytes = std::vector<unsigned char>;

// An EXIF block is at most 64 KiB in a JPEG, and the EXIF reader looks no
// further than that in any block; the rest of these caps keep a damaged or
// hostile file from costing more than a few small reads.
constexpr std::size_t exifCap = 256 * 1024;
constexpr std::size_t jpegScanCap = 1024 * 1024;
constexpr std::size_t heifReadCap = 4 * 1024 * 1024;
constexpr int chunkCap = 4096;

struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
};

// Reads up to `size` bytes at `offset`; fewer at the end of the file.
Bytes readAt(int fd, std::uint64_t offset, std::size_t size) {
    Bytes bytes(size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n =
            ::pread(fd, bytes.data() + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    return bytes;
}

std::uint32_t bigEndian32(const unsigned char* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

std::uint32_t littleEndian32(const unsigned char* p) {
    return std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

bool startsWith(const Bytes& bytes, std::string_view prefix, std::size_t at = 0) {
    return bytes.size() >= at + prefix.size() &&
           std::memcmp(bytes.data() + at, prefix.data(), prefix.size()) == 0;
}

// The ASCII value of an entry of the EXIF IFD, up to its first NUL.
std::string asciiEntry(ExifData* data, ExifTag tag) {
    ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_EXIF], tag);
    if (!entry || !entry->data || entry->format != EXIF_FORMAT_ASCII) return {};
    const auto* text = reinterpret_cast<const char*>(entry->data);
    return std::string(text, ::strnlen(text, entry->size));
}

// Reads `count` digits at `at`, or -1.
int digits(const std::string& text, std::size_t at, std::size_t count) {
    if (text.size() < at + count) return -1;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// "YYYY:MM:DD HH:MM:SS" and an optional "+HH:MM" offset.
std::optional<Timestamp> parse(const std::string& date, const std::string& offset,
                               Reading reading) {
    const int year = digits(date, 0, 4), month = digits(date, 5, 2), day = digits(date, 8, 2);
    const int hour = digits(date, 11, 2), minute = digits(date, 14, 2),
              second = digits(date, 17, 2);
    if (year < 1 || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 ||
        second > 60) {
        return std::nullopt;
    }
    const std::chrono::year_month_day ymd{std::chrono::year(year),
                                          std::chrono::month(static_cast<unsigned>(month)),
                                          std::chrono::day(static_cast<unsigned>(day))};
    if (month < 1 || day < 1 || !ymd.ok()) return std::nullopt;
    const auto wall = std::chrono::sys_days(ymd) + std::chrono::hours(hour) +
                      std::chrono::minutes(minute) + std::chrono::seconds(second);

    const int offsetHours = digits(offset, 1, 2), offsetMinutes = digits(offset, 4, 2);
    if (reading == Reading::moment && (offset.starts_with('+') || offset.starts_with('-')) &&
        offsetHours >= 0 && offsetHours <= 14 && offsetMinutes >= 0 && offsetMinutes <= 59) {
        auto shift = std::chrono::hours(offsetHours) + std::chrono::minutes(offsetMinutes);
        return Timestamp(offset[0] == '+' ? wall - shift : wall + shift);
    }
    // The camera's clock read as the local time of this machine.
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    const std::time_t time = std::mktime(&local);
    if (time == static_cast<std::time_t>(-1)) return std::nullopt;
    return Timestamp(std::chrono::seconds(time));
}

std::optional<Timestamp> fromBytes(const Bytes& bytes, Reading reading) {
    return fromExif(std::span(bytes.data(), bytes.size()), reading);
}

std::optional<Timestamp> fromJpeg(int fd, Reading reading) {
    std::unique_ptr<ExifLoader, decltype(&exif_loader_unref)> loader(exif_loader_new(),
                                                                     &exif_loader_unref);
    if (!loader) return std::nullopt;
    // The loader walks the segments before the image data and stops at the EXIF block.
    for (std::size_t offset = 0; offset < jpegScanCap;) {
        Bytes chunk = readAt(fd, offset, 16 * 1024);
        if (chunk.empty()) break;
        offset += chunk.size();
        if (!exif_loader_write(loader.get(), chunk.data(), static_cast<unsigned>(chunk.size()))) {
            break;
        }
    }
    const unsigned char* buffer = nullptr;
    unsigned int size = 0;
    exif_loader_get_buf(loader.get(), &buffer, &size);
    if (!buffer || size == 0) return std::nullopt;
    return fromExif(std::span(buffer, size), reading);
}

// PNG keeps the EXIF block in an eXIf chunk.
std::optional<Timestamp> fromPng(int fd, Reading reading) {
    std::uint64_t offset = 8;
    for (int i = 0; i < chunkCap; ++i) {
        const Bytes header = readAt(fd, offset, 8);
        if (header.size() < 8) break;
        const std::uint32_t length = bigEndian32(header.data());
        if (startsWith(header, "eXIf", 4)) {
            if (length > exifCap) break;
            return fromBytes(readAt(fd, offset + 8, length), reading);
        }
        if (startsWith(header, "IEND", 4)) break;
        offset += 12ull + length;
    }
    return std::nullopt;
}

// WebP keeps it in an EXIF chunk of its RIFF container, after the image data.
std::optional<Timestamp> fromWebp(int fd, Reading reading) {
    std::uint64_t offset = 12;
    for (int i = 0; i < chunkCap; ++i) {
        const Bytes header = readAt(fd, offset, 8);
        if (header.size() < 8) break;
        const std::uint32_t length = littleEndian32(header.data() + 4);
        if (startsWith(header, "EXIF")) {
            if (length > exifCap) break;
            return fromBytes(readAt(fd, offset + 8, length), reading);
        }
        offset += 8ull + length + (length & 1u);
    }
    return std::nullopt;
}

// HEIF and AVIF go through libheif, reading through a budget so that a damaged
// file can't make it read more than the header's share.
struct HeifSource {
    int fd;
    std::int64_t size;
    std::int64_t position = 0;
    std::size_t budget = heifReadCap;
};

const heif_reader heifReader{
    1,
    [](void* source) -> std::int64_t { return static_cast<HeifSource*>(source)->position; },
    [](void* data, std::size_t size, void* source) -> int {
        auto* s = static_cast<HeifSource*>(source);
        if (size > s->budget) return -1;
        s->budget -= size;
        const Bytes bytes = readAt(s->fd, static_cast<std::uint64_t>(s->position), size);
        if (bytes.size() != size) return -1;
        std::memcpy(data, bytes.data(), size);
        s->position += static_cast<std::int64_t>(size);
        return 0;
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

bool isHeifBrand(const unsigned char* p) {
    static constexpr std::array<std::string_view, 10> brands{
        "heic", "heix", "hevc", "hevx", "heim", "heis", "mif1", "msf1", "avif", "avis"};
    for (std::string_view brand : brands) {
        if (std::memcmp(p, brand.data(), 4) == 0) return true;
    }
    return false;
}

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

std::optional<Timestamp> fromHeif(int fd, std::int64_t size, const Bytes& head, Reading reading) {
    // The file type box names the brands; other ISO media files (video) are passed over.
    const std::size_t boxSize = std::min<std::size_t>(bigEndian32(head.data()), head.size());
    bool heif = false;
    for (std::size_t at = 8; at + 4 <= boxSize && !heif; at += 4) {
        if (at != 12) heif = isHeifBrand(head.data() + at);
    }
    if (!heif) return std::nullopt;
    const Heif* library = ::tavix::PhotoDate::heif();
    if (!library) return std::nullopt;
    std::unique_ptr<heif_context, decltype(&::heif_context_free)> context(library->contextAlloc(),
                                                                          library->contextFree);
    HeifSource source{fd, size};
    if (!context || library->readFromReader(context.get(), &heifReader, &source, nullptr).code !=
                        heif_error_Ok) {
        return std::nullopt;
    }
    heif_image_handle* raw = nullptr;
    if (library->primaryImage(context.get(), &raw).code != heif_error_Ok) return std::nullopt;
    std::unique_ptr<heif_image_handle, decltype(&::heif_image_handle_release)> handle(
        raw, library->releaseImage);
    heif_item_id id = 0;
    if (library->metadataIds(handle.get(), "Exif", &id, 1) < 1) return std::nullopt;
    const std::size_t length = library->metadataSize(handle.get(), id);
    if (length < 4 || length > exifCap) return std::nullopt;
    Bytes item(length);
    if (library->metadata(handle.get(), id, item.data()).code != heif_error_Ok) {
        return std::nullopt;
    }
    // The item starts with the offset of the TIFF header past its own four bytes.
    const std::uint32_t skip = bigEndian32(item.data());
    if (skip > length - 4) return std::nullopt;
    return fromExif(std::span(item.data() + 4 + skip, length - 4 - skip), reading);
}

}  // namespace

std::optional<Timestamp> fromExif(std::span<const unsigned char> exif, Reading reading) {
    static constexpr unsigned char header[] = {'E', 'x', 'i', 'f', 0, 0};
    Bytes block;
    const bool hasHeader = exif.size() >= 6 && std::memcmp(exif.data(), header, 6) == 0;
    if (!hasHeader) block.assign(header, header + 6);
    block.insert(block.end(), exif.begin(), exif.begin() + std::min(exif.size(), exifCap));

    std::unique_ptr<ExifData, decltype(&exif_data_unref)> data(exif_data_new(), &exif_data_unref);
    if (!data) return std::nullopt;
    // Read the block as it is: no entries added or dropped to suit the standard.
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_IGNORE_UNKNOWN_TAGS);
    exif_data_load_data(data.get(), block.data(), static_cast<unsigned>(block.size()));
    const std::string date = asciiEntry(data.get(), EXIF_TAG_DATE_TIME_ORIGINAL);
    if (date.empty()) return std::nullopt;
    return parse(date, asciiEntry(data.get(), EXIF_TAG_OFFSET_TIME_ORIGINAL), reading);
}

std::optional<Timestamp> taken(const std::filesystem::path& url, Reading reading) {
    // Not blocking on open keeps a FIFO in the list from hanging the caller.
    const Descriptor file{::open(url.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK)};
    struct stat facts {};
    if (file.fd < 0 || ::fstat(file.fd, &facts) != 0 || !S_ISREG(facts.st_mode)) {
        return std::nullopt;
    }
    const Bytes head = readAt(file.fd, 0, 64);
    if (startsWith(head, "\xFF\xD8\xFF")) return fromJpeg(file.fd, reading);
    if (startsWith(head, "\x89PNG\r\n\x1A\n")) return fromPng(file.fd, reading);
    if (startsWith(head, "RIFF") && startsWith(head, "WEBP", 8)) return fromWebp(file.fd, reading);
    if (startsWith(head, std::string_view("II*\0", 4)) ||
        startsWith(head, std::string_view("MM\0*", 4))) {
        // The EXIF reader looks no further than 64 KiB into the block: camera
        // files keep their first directory and its EXIF part at the start.
        return fromBytes(readAt(file.fd, 0, 64 * 1024), reading);
    }
    if (startsWith(head, "ftyp", 4)) return fromHeif(file.fd, facts.st_size, head, reading);
    return std::nullopt;
}

std::optional<Timestamp> takenOrModified(const std::filesystem::path& url, Reading reading) {
    if (auto date = taken(url, reading)) return date;
    return FileSystem::modificationTime(url);
}

}  // namespace tavix::PhotoDate
