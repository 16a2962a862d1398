#include "cli/Arguments.hpp"

#include <map>

namespace tavix::cli {

const char* const usageText = R"(Usage:
  tavix-cli plan     [STEPS] [FILES] [ORDER] [--per-folder] [--date-source modified|taken]
                     [--chains] [--no-keep-extension] [--json]
  tavix-cli plan     --map FILE [-0] [--chains] [--json]
  tavix-cli rename   (as plan) [--journal FILE | --no-journal]
  tavix-cli edit     [FILES] [ORDER] [--chains] [--yes] [--journal FILE | --no-journal]
  tavix-cli undo     JOURNAL | --last [--json]
  tavix-cli history  [--json]
  tavix-cli describe [STEPS] [--json]
  tavix-cli info     FILE [--json]
  tavix-cli presets  [list | show NAME | save NAME STEPS [--force] | delete NAME] [--json]
  tavix-cli help steps | --help | --version

Steps (run top to bottom):
  --step STEP        one step, short form (below) or keyed JSON; may be repeated
  --preset NAME      the steps of a saved preset; may be repeated
  --rules FILE       a JSON array of steps in the keyed form ("-" reads standard input)
                     Presets and --rules come first, in the order given, then each
                     --step. With none, the single blank find-and-replace step.

Files:
  PATH ...           the files, in order; duplicates, folders and missing paths are skipped
  --files-from FILE  one path per line ("-" reads standard input)
  -0                 paths in --files-from are separated by NUL bytes instead
  --map FILE         (plan, rename) instead of steps and files: one PATH<TAB>NEW NAME
                     a line ("-" reads standard input; with -0, NUL ends each field)

Order (before planning; stable, files whose key can't be read first):
  --sort name        as a file browser sorts names
  --sort date        date modified, oldest first
  --sort size        smallest first
  --sort created     creation date, oldest first
  --sort taken       the date a photo was taken (EXIF), else its date modified
  --reverse          the other way round

  --per-folder         each folder's files are a batch of their own: numbering starts
                       again in each folder, and names clash only within a folder
  --date-source taken  date steps write the date a photo was taken (else the date
                       modified); the default is modified
  --no-keep-extension  let the steps change the extension too
  --chains             a name that another file of the batch gives up is free: swaps
                       and chains are ordered, each cycle broken through a temporary
                       name; the files of a cycle are marked (swap)
  --yes                (edit) rename without asking
  --json               print one JSON document instead of text
  --journal FILE       (rename) keep the journal in FILE instead of the state folder
  --no-journal         (rename) keep no journal
  --last               (undo) the newest journal of the state folder not yet undone

Every rename keeps a journal, by default in $XDG_STATE_HOME/tavix/journals/, from
which undo puts the files back, even after a crash.

Presets are kept in $XDG_CONFIG_HOME/tavix/presets (~/.config/tavix/presets);
save never replaces one unless --force is given.

Examples:
  tavix-cli presets save holiday --step 'dateStamp separator=_' --step 'sequence padding=3'
  tavix-cli rename --preset holiday --sort taken --date-source taken *.jpg
  tavix-cli plan --per-folder --step 'sequence padding=3' */*.jpg
  tavix-cli plan --chains --map swap.tsv     (swap.tsv: "a.jpg<TAB>b.jpg", "b.jpg<TAB>a.jpg")
  tavix-cli edit --chains *.jpg

plan shows the new names and touches nothing. rename performs them when at least
one name changes and none has a problem. edit opens the names in $VISUAL or $EDITOR,
one NUMBER<TAB>NAME a line (\n, \t and \\ escaped); a deleted line leaves its file
alone; the result is planned and, once confirmed, renamed as rename does.
Exit status: 0 success, 1 problems or failed moves, 2 usage or input errors.
)";

namespace {

enum Accepts : unsigned {
    steps = 1,
    files = 2,
    planning = 4,
    journal = 8,
    json = 16,
    last = 32,
    force = 64,
    chains = 128,
    mapped = 256,
    confirm = 512,
};

struct CommandInfo {
    Command command;
    unsigned accepts;
    int operands;  // -1: any number of paths; else exactly this many
};

const std::map<std::string, CommandInfo, std::less<>> commands{
    {"plan", {Command::plan, steps | files | planning | json | chains | mapped, -1}},
    {"rename", {Command::rename, steps | files | planning | json | journal | chains | mapped, -1}},
    {"edit", {Command::edit, files | planning | journal | chains | confirm, -1}},
    {"undo", {Command::undo, json | last, -1}},
    {"history", {Command::history, json, 0}},
    {"describe", {Command::describe, steps | json, 0}},
    {"info", {Command::info, json, 1}},
    {"presets", {Command::presets, steps | json | force, -1}},
};

}  // namespace

Arguments parseArguments(const std::vector<std::string>& args) {
    Arguments parsed;
    if (args.empty()) throw UsageError("no command given; see tavix-cli --help");
    const std::string& first = args.front();
    if (first == "--help" || first == "-h" || first == "help") {
        parsed.command = Command::help;
        if (first == "help" && args.size() > 1) {
            if (args.size() > 2 || args[1] != "steps") {
                throw UsageError("help takes only the topic steps; see tavix-cli --help");
            }
            parsed.command = Command::helpSteps;
        }
        return parsed;
    }
    if (first == "--version") {
        parsed.command = Command::version;
        return parsed;
    }
    const auto found = commands.find(first);
    if (found == commands.end()) {
        throw UsageError("unknown command " + first + "; see tavix-cli --help");
    }
    const CommandInfo info = found->second;
    parsed.command = info.command;

    const auto require = [&](unsigned what, const std::string& option) {
        if (!(info.accepts & what)) throw UsageError(first + " does not take " + option);
    };
    bool onlyOperands = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string arg = args[i];
        if (onlyOperands || arg == "-" || arg.empty() || arg[0] != '-') {
            parsed.paths.push_back(arg);
            continue;
        }
        if (arg == "--") {
            onlyOperands = true;
            continue;
        }
        std::optional<std::string> inlineValue;
        if (arg.rfind("--", 0) == 0) {
            if (const auto eq = arg.find('='); eq != std::string::npos) {
                inlineValue = arg.substr(eq + 1);
                arg.erase(eq);
            }
        }
        const auto value = [&]() -> std::string {
            if (inlineValue) return *inlineValue;
            if (i + 1 >= args.size()) throw UsageError(arg + " needs a value");
            return args[++i];
        };
        const auto noValue = [&] {
            if (inlineValue) throw UsageError(arg + " takes no value");
        };
        if (arg == "--rules") {
            require(steps, arg);
            if (parsed.rulesFile) throw UsageError("--rules given twice");
            parsed.rulesFile = value();
            parsed.presetsBeforeRules = parsed.presets.size();
        } else if (arg == "--preset") {
            require(steps, arg);
            parsed.presets.push_back(value());
        } else if (arg == "--step") {
            require(steps, arg);
            parsed.steps.push_back(value());
        } else if (arg == "--files-from") {
            require(files, arg);
            if (parsed.filesFrom) throw UsageError("--files-from given twice");
            parsed.filesFrom = value();
        } else if (arg == "-0") {
            require(files, arg);
            parsed.nulSeparated = true;
        } else if (arg == "--no-keep-extension") {
            require(planning, arg);
            noValue();
            parsed.keepExtension = false;
        } else if (arg == "--sort") {
            require(planning, arg);
            const std::string order = value();
            using FileList::SortOrder;
            static const std::map<std::string, SortOrder, std::less<>> orders{
                {"name", SortOrder::name},
                {"date", SortOrder::date},
                {"size", SortOrder::size},
                {"created", SortOrder::created},
                {"taken", SortOrder::taken}};
            const auto named = orders.find(order);
            if (named == orders.end()) {
                throw UsageError("--sort takes name, date, size, created or taken, not " + order);
            }
            parsed.sort = named->second;
        } else if (arg == "--reverse") {
            require(planning, arg);
            noValue();
            parsed.reverse = true;
        } else if (arg == "--per-folder") {
            require(planning, arg);
            noValue();
            parsed.perFolder = true;
        } else if (arg == "--date-source") {
            require(planning, arg);
            const std::string source = value();
            if (source == "modified") {
                parsed.dateSource = RenameEngine::DateSource::modified;
            } else if (source == "taken") {
                parsed.dateSource = RenameEngine::DateSource::taken;
            } else {
                throw UsageError("--date-source takes modified or taken, not " + source);
            }
        } else if (arg == "--force") {
            require(force, arg);
            noValue();
            parsed.force = true;
        } else if (arg == "--json") {
            require(json, arg);
            noValue();
            parsed.json = true;
        } else if (arg == "--journal") {
            require(journal, arg);
            parsed.journal = value();
        } else if (arg == "--no-journal") {
            require(journal, arg);
            noValue();
            parsed.noJournal = true;
        } else if (arg == "--chains") {
            require(chains, arg);
            noValue();
            parsed.chains = true;
        } else if (arg == "--map") {
            require(mapped, arg);
            if (parsed.map) throw UsageError("--map given twice");
            parsed.map = value();
        } else if (arg == "--yes") {
            require(confirm, arg);
            noValue();
            parsed.yes = true;
        } else if (arg == "--last") {
            require(last, arg);
            noValue();
            parsed.last = true;
        } else {
            throw UsageError("unknown option " + arg);
        }
    }

    if (info.operands >= 0 && static_cast<int>(parsed.paths.size()) != info.operands) {
        if (info.operands == 0) throw UsageError(first + " takes no file operands");
        throw UsageError(first + " takes exactly one " +
                         (info.command == Command::undo ? "JOURNAL" : "FILE"));
    }
    if (parsed.journal && parsed.noJournal) {
        throw UsageError("--journal and --no-journal can't be given together");
    }
    if (info.command == Command::undo && parsed.paths.size() != (parsed.last ? 0u : 1u)) {
        throw UsageError("undo takes exactly one JOURNAL, or --last");
    }
    if (parsed.map && (parsed.rulesFile || !parsed.steps.empty() || !parsed.presets.empty() ||
                       !parsed.paths.empty() || parsed.filesFrom)) {
        throw UsageError("--map takes the place of steps, presets and files");
    }
    if (parsed.nulSeparated && !parsed.filesFrom && !parsed.map)
        throw UsageError("-0 needs --files-from or --map");
    if (parsed.reverse && !parsed.sort) throw UsageError("--reverse needs --sort");
    if (parsed.rulesFile == "-" && parsed.filesFrom == "-") {
        throw UsageError("--rules and --files-from can't both read standard input");
    }
    return parsed;
}

}  // namespace tavix::cli
