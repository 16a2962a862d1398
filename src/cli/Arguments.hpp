#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace tavix::cli {

// A command line that can't be used; the text is the one-line reason.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Command { plan, rename, undo, history, describe, info, help, version };
enum class SortOrder { none, name, date };

struct Arguments {
    Command command = Command::help;
    std::optional<std::string> rulesFile;  // "-" is standard input
    std::vector<std::string> steps;        // keyed JSON texts, in order
    std::vector<std::string> paths;        // positional operands
    std::optional<std::string> filesFrom;  // "-" is standard input
    bool nulSeparated = false;
    bool keepExtension = true;
    SortOrder sort = SortOrder::none;
    bool json = false;
    std::optional<std::string> journal;
    bool noJournal = false;  // rename: keep no journal
    bool last = false;       // undo: the newest journal not yet undone
};

// Reads the command and its options; throws UsageError for anything the
// command doesn't take.
Arguments parseArguments(const std::vector<std::string>& args);

extern const char* const usageText;

}  // namespace tavix::cli
