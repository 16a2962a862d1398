#include "model/StatusTexts.hpp"

#include "text/Wording.hpp"

namespace tavix::StatusTexts {
namespace {

// "1 file", "3 files".
std::string files(std::size_t count) {
    return Wording::counted(count, "file");
}

}  // namespace

std::string count(std::size_t fileCount, std::size_t willChange) {
    if (fileCount == 0) return "Add files to preview the renames above.";
    return files(fileCount) + " \u00B7 " + std::to_string(willChange) + " will change";
}

std::string renamed(std::size_t moved, std::size_t failed, std::string_view firstFailure) {
    if (failed == 0) return "Renamed " + files(moved) + ".";
    return "Renamed " + std::to_string(moved) + "; " + std::to_string(failed) + " failed \u2014 " +
           std::string(firstFailure);
}

std::string putBack(std::size_t count) {
    return "Put " + files(count) + " back.";
}

}  // namespace tavix::StatusTexts
