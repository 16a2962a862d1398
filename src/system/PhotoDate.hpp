#pragma once

#include <filesystem>
#include <optional>

#include "system/ExifDate.hpp"
#include "system/FileSystem.hpp"

// The date a photo was taken, from its EXIF DateTimeOriginal (with
// OffsetTimeOriginal where present). Only the header is read, in bounded
// pieces: a file is never read or mapped whole.
namespace tavix::PhotoDate {

// How the date is read: as the moment the photo was taken (the offset applied,
// for putting photos of several cameras in order), or as the camera's clock
// read in this machine's time zone (for writing the date the camera showed
// where the photo was taken, whatever the zone here).
enum class Reading { moment, cameraClock };

using Dates = ExifDate::Dates;

// Both readings of the date, from one read of the EXIF block of a JPEG, TIFF,
// PNG, WebP, HEIF or AVIF file: a caller that needs both reads the file once.
// Neither for any other file, or one without the date.
Dates read(const std::filesystem::path& path);

// One reading of read().
std::optional<FileSystem::Timestamp> taken(const std::filesystem::path& path,
                                           Reading reading = Reading::moment);

// taken(), else the content modification time, else nothing.
std::optional<FileSystem::Timestamp> takenOrModified(const std::filesystem::path& path,
                                                     Reading reading = Reading::moment);

}  // namespace tavix::PhotoDate
