#pragma once

#include <filesystem>
#include <optional>
#include <span>

#include "model/system/FileSystem.hpp"

// The date a photo was taken, from its EXIF DateTimeOriginal (with
// OffsetTimeOriginal where present). Only the header is read, in bounded
// pieces: a file is never read or mapped whole.
namespace tavix::PhotoDate {

// From a block of EXIF data: the TIFF structure, with or without the
// "Exif\0\0" header in front. Without an offset the date is taken as local
// time; a date that is blank, zero or out of range gives nothing.
std::optional<FileSystem::Timestamp> fromExif(std::span<const unsigned char> exif);

// From the EXIF block of a JPEG, TIFF, PNG, WebP, HEIF or AVIF file; nothing
// for any other file, or one without the date.
std::optional<FileSystem::Timestamp> taken(const std::filesystem::path& url);

// taken(), else the content modification time, else nothing.
std::optional<FileSystem::Timestamp> takenOrModified(const std::filesystem::path& url);

}  // namespace tavix::PhotoDate
