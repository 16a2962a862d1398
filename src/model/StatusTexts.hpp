#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tavix::StatusTexts {

// The count under the file table: "3 files · 2 will change", or the invitation
// "Add files to preview the renames above." while the list is empty.
std::string count(std::size_t files, std::size_t willChange);

// After a rename: "Renamed 3 files." (also "Renamed 0 files."), or with failures
// "Renamed 2; 1 failed — " followed by the first failure's text.
std::string renamed(std::size_t moved, std::size_t failed, std::string_view firstFailure);

// After an undo: "Put 1 file back.", "Put 3 files back.".
std::string putBack(std::size_t count);

}  // namespace tavix::StatusTexts
