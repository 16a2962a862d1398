#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "text/Location.hpp"

namespace tavix::ui {

// The operands of a command line (argv[1…]) as the bytes given, so a file name
// that isn't UTF-8 reaches the list unchanged: every argument that isn't an
// option, and all after "--". An option named in `takingValue` consumes the next
// argument unless written as --name=value. The options are assumed valid (the
// parser has checked them).
std::vector<std::string> operands(int argc, const char* const* argv,
                                  const std::vector<std::string_view>& takingValue);

// The files named by `operands`, in order: relative ones made absolute against
// `workingDirectory`. "." components are dropped; ".." stays, since after a
// symbolic link it leads where the kernel says, not where the text suggests.
std::vector<Location> commandLineFiles(const std::vector<std::string>& operands,
                                       const std::filesystem::path& workingDirectory);

}  // namespace tavix::ui
