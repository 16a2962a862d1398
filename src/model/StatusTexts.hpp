#pragma once

#include <cstddef>
#include <string>

namespace tavix::StatusTexts {

// The count under the file table: "3 files · 2 will change", or the invitation
// "Add files to preview the renames above." while the list is empty.
std::string count(std::size_t files, std::size_t willChange);

}  // namespace tavix::StatusTexts
