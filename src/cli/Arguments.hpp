#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/RenameEngine.hpp"
#include "model/FileOrder.hpp"

namespace tavix::cli {

// A command line that can't be used; the text is the one-line reason.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Command {
    plan,
    rename,
    edit,
    undo,
    history,
    describe,
    info,
    presets,
    help,
    helpSteps,
    version
};

struct Arguments {
    Command command = Command::help;
    std::optional<std::string> rulesFile;  // "-" is standard input
    std::vector<std::string> steps;        // keyed JSON texts, in order
    std::vector<std::string> paths;        // positional operands
    std::optional<std::string> filesFrom;  // "-" is standard input
    bool nulSeparated = false;
    bool keepExtension = true;
    std::optional<FileList::SortOrder> sort;  // none: the list's own order
    bool json = false;
    std::optional<std::string> journal;
    bool noJournal = false;              // rename: keep no journal
    bool last = false;                   // undo: the newest journal of the state folder
    bool prune = false;                  // history prune
    std::optional<std::size_t> keep;     // history prune --keep
    std::vector<std::string> presets;    // --preset names, in order
    std::size_t presetsBeforeRules = 0;  // how many of them came before --rules
    bool reverse = false;
    bool perFolder = false;
    RenameEngine::DateSource dateSource = RenameEngine::DateSource::modified;
    bool force = false;
    bool chains = false;             // a name given up within the batch is free
    std::optional<std::string> map;  // PATH<TAB>NEW NAME pairs; "-" is standard input
    bool yes = false;                // edit: rename without asking
    // The new name of each of `paths`, by place (from --map or the editor),
    // which are then absolute: the files are planned with these names instead
    // of steps. A path given more than once takes its first name.
    std::shared_ptr<const std::vector<std::string>> newNames;
};

// Reads the command and its options; throws UsageError for anything the
// command doesn't take.
Arguments parseArguments(const std::vector<std::string>& args);

extern const char* const usageText;

}  // namespace tavix::cli
