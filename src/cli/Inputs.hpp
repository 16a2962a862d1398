#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <vector>

#include "cli/Arguments.hpp"
#include "cli/Cli.hpp"
#include "rules/RenameRule.hpp"
#include "system/FolderEntries.hpp"
#include "text/Location.hpp"

namespace tavix::cli {

// Steps or a file list that can't be read; the text is the one-line reason.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The steps of --rules, then each --step; the single blank find-and-replace
// step when there are none. A step that doesn't decode names its position.
std::vector<RenameRule> readSteps(const Arguments& args, Io& io);

// The operands and --files-from paths, made absolute, added as the window adds
// files (each skip reported on standard error), then sorted if asked.
// The folders are read through `folders` when given, kept for the plan.
// With `stepDates`, a sort that reads the dates the date steps write (by the
// date taken with --date-source taken, by date with modified) hands them on
// there, one per file, for the plan; otherwise it is left empty.
std::vector<Location> readFiles(
    const Arguments& args, Io& io, FileSystem::FolderSnapshots* folders = nullptr,
    std::vector<std::optional<FileSystem::Timestamp>>* stepDates = nullptr);

// `text` made absolute against `workingDirectory` as text: "." components and
// repeated or trailing slashes go, since they never change what the kernel finds;
// ".." stays, since after a symbolic link it leads where the kernel says. An
// absolute path that needs no tidying is taken as it is.
Location absolutePath(const std::filesystem::path& workingDirectory, std::string text);

// A whole file, or standard input for "-".
std::string readAll(const std::string& path, Io& io);

}  // namespace tavix::cli
