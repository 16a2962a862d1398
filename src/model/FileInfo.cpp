#include "model/FileInfo.hpp"

#include <array>
#include <memory>

#include "text/CaseMapping.hpp"
#include "text/LocaleFormat.hpp"
#include "text/Utf.hpp"
#include "system/FileSystem.hpp"
#include "system/ImageProbe.hpp"
#include "text/PathNames.hpp"

namespace tavix {
namespace {

constexpr const char* missing = "\u2014";

std::string formatDate(std::optional<FileSystem::Timestamp> time) {
    if (!time) return missing;
    return text::formatDateTime(*time).value_or(missing);
}

}  // namespace

std::string FileInfo::formatSize(std::uint64_t bytes) {
    if (bytes < 1000) return text::formatTenths(bytes * 10) + (bytes == 1 ? " byte" : " bytes");

    // Rounded half up in exact arithmetic (the largest count times ten overflows
    // 64 bits); a count that rounds to 1000 of a unit moves to the next unit.
    const unsigned __int128 count = bytes;
    const auto kilobytes = static_cast<std::uint64_t>((count + 500) / 1000);
    if (kilobytes < 1000) return text::formatTenths(kilobytes * 10) + " kB";

    static constexpr std::array units = {"MB", "GB", "TB", "PB", "EB"};
    unsigned __int128 unit = 1'000'000;
    for (std::size_t i = 0;; ++i, unit *= 1000) {
        const auto tenths = static_cast<std::uint64_t>((count * 10 + unit / 2) / unit);
        if (tenths < 10'000 || i + 1 == units.size()) {
            return text::formatTenths(tenths) + " " + units[i];
        }
    }
}

FileInfo FileInfo::read(const std::filesystem::path& file) {
    FileInfo info;
    info.path = text::validUtf8(PathNames::folder(file).native());

    const auto values = FileSystem::resourceValues(file);
    info.size = values && values->size ? formatSize(*values->size) : missing;
    info.created = formatDate(values ? values->created : std::nullopt);
    info.modified = formatDate(values ? values->modified : std::nullopt);
    if (values && values->kind) {
        info.kind = text::validUtf8(*values->kind);
    } else {
        info.kind = text::uppercased(text::validUtf8(PathNames::extension(file)));
    }

    if (const auto image = ImageProbe::read(file)) {
        if (image->pixelWidth && image->pixelHeight) {
            info.dimensions = std::to_string(*image->pixelWidth) + " \u00D7 " +
                              std::to_string(*image->pixelHeight);
        }
        info.colorSpace = image->colorModel;
    }
    return info;
}

FileInfo FileInfo::readListing(const std::filesystem::path& file) {
    FileInfo info;
    const auto values = FileSystem::sizeAndDates(file);
    info.size = values && values->size ? formatSize(*values->size) : missing;
    info.created = formatDate(values ? values->created : std::nullopt);
    info.modified = formatDate(values ? values->modified : std::nullopt);
    return info;
}

}  // namespace tavix
