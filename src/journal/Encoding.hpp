#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "system/FileSystem.hpp"

// The pieces a journal line is written from and read back into: JSON strings,
// paths that round-trip byte for byte, and times.
namespace tavix::journal {

// Appends `text`, well-formed UTF-8, as a JSON string. Written by hand because
// a journal writes every path of a batch two or three times and the library's
// value-then-dump route copies each one twice; tested against the library's
// parser for every byte value and escape.
void appendString(std::string& out, std::string_view text);
// The same without the quotes: what goes between them. A path split anywhere
// is escaped piece by piece to the same text as whole.
void appendEscaped(std::string& out, std::string_view text);
// Appends a path: UTF-8 as a JSON string, any other bytes as {"base64":"…"}.
void appendPath(std::string& out, std::string_view bytes);

std::string base64(std::string_view bytes);
// Nothing for text that isn't padded base64.
std::optional<std::string> fromBase64(std::string_view text);

// Appends "2026-12-01T10:00:00.123456789Z"; parseTime reads that form back and
// gives nothing for any other text.
void appendTime(std::string& out, FileSystem::Timestamp time);
std::optional<FileSystem::Timestamp> parseTime(std::string_view text);
// The time now in UTC, formatted by strftime's `format`.
std::string utcNow(const char* format);

}  // namespace tavix::journal
