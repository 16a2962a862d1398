#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "text/Location.hpp"

namespace tavix::cli {

// Edited text that can't be read back; the text is the one-line reason, naming
// the line.
class EditTextError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A name as it is written for the editor: a backslash, a tab, a newline and any
// other control character (or a byte that isn't UTF-8) escaped as "\\", "\t",
// "\n", "\r" or "\xHH", so each name stays on its one line and its bytes come
// back as they were.
std::string escapeName(std::string_view name);
// The reverse; an escape it doesn't know is an error.
std::string unescapeName(std::string_view text);

// The text handed to the editor: one "NUMBER<TAB>NAME" line per file, NUMBER its
// 1-based place in the list; with files from more than one folder, a
// "# /folder" line before each run of one folder's files.
std::string editText(const std::vector<Location>& files);

// Reads the edited text back for `count` files: each file's new name, or
// nothing for a file whose line was deleted. Lines starting with "#" and empty
// lines are ignored. A line without a tab, a number that isn't one of the
// files', a number given twice or a bad escape is an EditTextError.
std::vector<std::optional<std::string>> readEditText(std::string_view text, std::size_t count);

}  // namespace tavix::cli
