#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "system/FileSystem.hpp"

// The date an EXIF block says its photo was taken. Only the two tags it needs
// are looked at, found by walking IFD0 to the EXIF directory with libexif's
// byte-order readers; nothing is copied or allocated. The walk answers as
// libexif's full load would for these tags: the same 64 KiB window, the same
// bounds on every offset, the first readable entry of a tag.
namespace tavix::ExifDate {

// The moment the photo was taken, with OffsetTimeOriginal applied where
// present (else the camera's clock), and the camera's clock read as this
// machine's local time. Either is absent when it can't be told.
struct Dates {
    std::optional<FileSystem::Timestamp> moment;
    std::optional<FileSystem::Timestamp> cameraClock;
    friend bool operator==(const Dates&, const Dates&) = default;
};

// DateTimeOriginal and OffsetTimeOriginal, each up to its first NUL, as views
// into the block; empty where absent or not text.
struct Tags {
    std::string_view date;
    std::string_view offset;
};

// The tags of `block`: the TIFF structure, with or without "Exif\0\0" in
// front, of which only the first `block.size()` bytes of `whole` are at hand.
// Nothing when the structure is damaged, and nothing with `needsMore` set
// when the answer lies past the bytes at hand.
std::optional<Tags> tags(std::span<const unsigned char> block, std::size_t whole, bool& needsMore);

// Which dates a caller wants: reading the camera's clock as local time costs as
// much as the rest, and the moment needs it only when there is no offset.
enum class Wanted { both, moment };

// The dates of "YYYY:MM:DD HH:MM:SS" and an optional "+HH:MM" offset; nothing
// for a blank, zero or out-of-range date. With Wanted::moment, the camera's
// clock may be left out.
Dates parse(std::string_view date, std::string_view offset, Wanted wanted = Wanted::both);

// tags() and parse() of a whole block.
Dates dates(std::span<const unsigned char> block, Wanted wanted = Wanted::both);

}  // namespace tavix::ExifDate
