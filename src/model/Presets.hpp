#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rules/RenameRule.hpp"

// Named step stacks that both programs share, kept as keyed JSON arrays (the
// --rules form) in $XDG_CONFIG_HOME/tavix/presets/NAME.json
// (~/.config/tavix/presets without it). Names are kept in NFC, so two
// spellings of one name are one preset. Nothing here throws; every operation
// answers an Error or nothing.
namespace tavix::Presets {

struct Error {
    enum class Kind {
        badName,           // no preset can have it (isValidName; looser for reading)
        noHome,            // neither XDG_CONFIG_HOME nor HOME gives a folder
        missing,           // no preset of that name
        exists,            // saving without replacing, and the name is taken
        unreadable,        // not a regular file, too large, or the system's error
        undecodable,       // not a JSON array of steps that decode
        unwritable,        // the file can't be written or removed
        folderUnreadable,  // the folder can't be listed
    };
    Kind kind;
    // What went wrong in the system's or the decoder's words ("step 2: Key
    // "count" not found in "crop"."); empty for the first four kinds.
    std::string detail;
    friend bool operator==(const Error&, const Error&) = default;
};

// The one-line text of `error`. `shown` stands for the preset's name (the folder
// for folderUnreadable), as the caller shows it: escaped for a terminal, say.
std::string message(const Error& error, std::string_view shown);

// The folder presets live in; nothing when there is no home to put it in.
std::optional<std::filesystem::path> folder();

// The form a name is stored under: its NFC form.
std::string canonicalName(std::string_view name);

// Whether `name` can name a preset: well-formed UTF-8 of 1 to 100 characters
// (user-perceived), no "/", no control character, not starting with ".".
bool isValidName(std::string_view name);

// The names of the presets, canonical, in byte order; files in the folder that
// aren't presets (not ending in ".json", starting with ".", not regular files)
// are passed over, and a missing folder holds none.
std::optional<Error> list(std::vector<std::string>& names);

// The steps of the preset `name` (any spelling). Names that can't be saved any
// more but can name a file (a control character in them) are still read, so
// that presets made by hand can be listed, shown and deleted. A file that isn't
// a regular file is refused without being read.
std::optional<Error> load(std::string_view name, std::vector<RenameRule>& rules);

// Saves `rules` under `name` (stored under its canonical form), written whole
// beside the preset first and then moved into place: an existing preset is
// replaced only when `replace` is set, and never half-written.
std::optional<Error> save(std::string_view name, const std::vector<RenameRule>& rules,
                          bool replace);

// Deletes the preset `name` (any spelling).
std::optional<Error> remove(std::string_view name);

}  // namespace tavix::Presets
