#include "model/StatusTexts.hpp"

namespace tavix::StatusTexts {

std::string count(std::size_t files, std::size_t willChange) {
    if (files == 0) return "Add files to preview the renames above.";
    return std::to_string(files) + " file" + (files == 1 ? "" : "s") + " \u00B7 " +
           std::to_string(willChange) + " will change";
}

}  // namespace tavix::StatusTexts
