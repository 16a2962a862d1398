#include "system/ExifDate.hpp"

#include <libexif/exif-format.h>
#include <libexif/exif-tag.h>
#include <libexif/exif-utils.h>

#include <chrono>
#include <cstring>
#include <ctime>

namespace tavix::ExifDate {
namespace {

using Timestamp = FileSystem::Timestamp;

// libexif reads no further than this into a block, "Exif\0\0" included: a
// JPEG segment can't be longer.
constexpr std::size_t window = 0xfffe;

// Tags whose value libexif takes for an offset; one past the end of the block
// ends the directory it is in.
bool isPointer(ExifShort tag) {
    switch (tag) {
        case EXIF_TAG_EXIF_IFD_POINTER:
        case EXIF_TAG_GPS_INFO_IFD_POINTER:
        case EXIF_TAG_INTEROPERABILITY_IFD_POINTER:
        case EXIF_TAG_JPEG_INTERCHANGE_FORMAT:
        case EXIF_TAG_JPEG_INTERCHANGE_FORMAT_LENGTH:
            return true;
        default:
            return false;
    }
}

class Walk {
public:
    Walk(const unsigned char* tiff, std::size_t size, std::size_t available)
        : tiff_(tiff), size_(size), available_(available) {}

    bool needsMore = false;

    std::optional<Tags> run() {
        if (size_ < 8 || !at(0, 8)) return std::nullopt;
        if (std::memcmp(tiff_, "II", 2) == 0) {
            order_ = EXIF_BYTE_ORDER_INTEL;
        } else if (std::memcmp(tiff_, "MM", 2) != 0) {
            return std::nullopt;
        }
        if (exif_get_short(tiff_ + 2, order_) != 0x002a) return std::nullopt;
        const ExifLong ifd0 = exif_get_long(tiff_ + 4, order_);
        if (ifd0 > size_ - 2) return std::nullopt;
        // IFD0, up to the pointer to the EXIF directory.
        const auto [first, count] = entries(ifd0);
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t entry = first + 12 * i;
            if (!at(entry, 12)) return std::nullopt;
            const ExifShort tag = exif_get_short(tiff_ + entry, order_);
            if (!isPointer(tag)) continue;
            const ExifLong target = exif_get_long(tiff_ + entry + 8, order_);
            if (target >= size_) break;
            if (tag != EXIF_TAG_EXIF_IFD_POINTER) continue;
            // libexif reads a later pointer when the directory gave no entry.
            auto found = exifDirectory(target);
            if (!found || loadedAny_) return found;
        }
        return needsMore ? std::nullopt : std::optional<Tags>(Tags{});
    }

private:
    // Whether bytes [offset, offset + length) are at hand; past them but within
    // the block, more of the block is needed.
    bool at(std::size_t offset, std::size_t length) {
        if (offset + length <= available_) return true;
        if (offset + length <= size_) needsMore = true;
        return false;
    }

    // The first entry and the number of whole entries of the directory at `offset`.
    std::pair<std::size_t, std::size_t> entries(std::size_t offset) {
        if (offset + 2 > size_ || !at(offset, 2)) return {0, 0};
        const std::size_t declared = exif_get_short(tiff_ + offset, order_);
        return {offset + 2, std::min(declared, (size_ - offset - 2) / 12)};
    }

    std::optional<Tags> exifDirectory(std::size_t offset) {
        Tags found;
        bool dateSeen = false, offsetSeen = false;
        const auto [first, count] = entries(offset);
        for (std::size_t i = 0; i < count && !(dateSeen && offsetSeen); ++i) {
            const std::size_t entry = first + 12 * i;
            if (!at(entry, 12)) return std::nullopt;
            const ExifShort tag = exif_get_short(tiff_ + entry, order_);
            if (isPointer(tag)) {
                if (exif_get_long(tiff_ + entry + 8, order_) >= size_) break;
                continue;
            }
            const bool isDate = tag == EXIF_TAG_DATE_TIME_ORIGINAL && !dateSeen;
            const bool isOffset = tag == EXIF_TAG_OFFSET_TIME_ORIGINAL && !offsetSeen;
            if (!isDate && !isOffset && loadedAny_) continue;
            // An entry libexif would drop leaves the tag free for a later one.
            const auto format = static_cast<ExifFormat>(exif_get_short(tiff_ + entry + 2, order_));
            const ExifLong components = exif_get_long(tiff_ + entry + 4, order_);
            const unsigned width = exif_format_get_size(format);
            if (width == 0 || components == 0 || components >= 0xffffffffu / width) continue;
            const std::size_t length = std::size_t{width} * components;
            const std::size_t data =
                length > 4 ? exif_get_long(tiff_ + entry + 8, order_) : entry + 8;
            if (data >= size_ || length > size_ - data) continue;
            loadedAny_ = true;
            if (!isDate && !isOffset) continue;
            std::string_view text;
            if (format == EXIF_FORMAT_ASCII) {
                if (!at(data, length)) return std::nullopt;
                const auto* chars = reinterpret_cast<const char*>(tiff_ + data);
                text = std::string_view(chars, ::strnlen(chars, length));
            }
            (isDate ? found.date : found.offset) = text;
            (isDate ? dateSeen : offsetSeen) = true;
        }
        if (needsMore) return std::nullopt;
        return found;
    }

    const unsigned char* tiff_;
    std::size_t size_;
    std::size_t available_;
    ExifByteOrder order_ = EXIF_BYTE_ORDER_MOTOROLA;
    bool loadedAny_ = false;  // whether the EXIF directory gave libexif an entry
};

// Reads `count` digits at `at`, or -1.
int digits(std::string_view text, std::size_t at, std::size_t count) {
    if (text.size() < at + count) return -1;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

std::optional<Tags> tags(std::span<const unsigned char> block, std::size_t whole, bool& needsMore) {
    static constexpr unsigned char header[] = {'E', 'x', 'i', 'f', 0, 0};
    // Without the header, the block is read as if it had one in front.
    const std::size_t skip = block.size() >= 6 && std::memcmp(block.data(), header, 6) == 0 ? 6 : 0;
    const std::size_t size = std::min(whole + 6 - skip, window) - 6;
    Walk walk(block.data() + skip, size, std::min(block.size() - skip, size));
    auto found = walk.run();
    needsMore = walk.needsMore;
    return found;
}

Dates parse(std::string_view date, std::string_view offset, Wanted wanted) {
    const int year = digits(date, 0, 4), month = digits(date, 5, 2), day = digits(date, 8, 2);
    const int hour = digits(date, 11, 2), minute = digits(date, 14, 2),
              second = digits(date, 17, 2);
    if (year < 1 || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 ||
        second > 60) {
        return {};
    }
    const std::chrono::year_month_day ymd{std::chrono::year(year),
                                          std::chrono::month(static_cast<unsigned>(month)),
                                          std::chrono::day(static_cast<unsigned>(day))};
    if (month < 1 || day < 1 || !ymd.ok()) return {};

    Dates dates;
    const int offsetHours = digits(offset, 1, 2), offsetMinutes = digits(offset, 4, 2);
    if ((offset.starts_with('+') || offset.starts_with('-')) && offsetHours >= 0 &&
        offsetHours <= 14 && offsetMinutes >= 0 && offsetMinutes <= 59) {
        const auto wall = std::chrono::sys_days(ymd) + std::chrono::hours(hour) +
                          std::chrono::minutes(minute) + std::chrono::seconds(second);
        const auto shift = std::chrono::hours(offsetHours) + std::chrono::minutes(offsetMinutes);
        dates.moment = Timestamp(offset[0] == '+' ? wall - shift : wall + shift);
        if (wanted == Wanted::moment) return dates;
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
    if (time != static_cast<std::time_t>(-1)) {
        dates.cameraClock = Timestamp(std::chrono::seconds(time));
    }
    if (!dates.moment) dates.moment = dates.cameraClock;
    return dates;
}

Dates dates(std::span<const unsigned char> block, Wanted wanted) {
    bool needsMore = false;
    const auto found = tags(block, block.size(), needsMore);
    if (!found || found->date.empty()) return {};
    return parse(found->date, found->offset, wanted);
}

}  // namespace tavix::ExifDate
