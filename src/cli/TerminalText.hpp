#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "text/Location.hpp"

namespace tavix::cli {

// `text` as it may reach a terminal: ill-formed UTF-8 shows as U+FFFD, and
// control characters (C0, DEL and C1) are escaped — "\n", "\t", "\r", "\x1b",
// "\u009b" — so a name can neither forge lines of output nor drive the terminal.
std::string printable(std::string_view text);
std::string printable(const std::string& text);
std::string printable(const char* text);
std::string printable(const std::filesystem::path& path);
std::string printable(const Location& location);
// printable(text) appended to `out`.
void appendPrintable(std::string_view text, std::string& out);

}  // namespace tavix::cli
