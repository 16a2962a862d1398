#include "cli/Arguments.hpp"

#include <algorithm>
#include <map>

namespace tavix::cli {

const char* const usageText = R"(Usage:
  tavix-cli plan     [STEPS] [FILES] [ORDER] [--per-folder] [--date-source modified|taken]
                     [--chains] [--no-keep-extension] [--json]
  tavix-cli plan     --map FILE [-0] [--chains] [--json]
  tavix-cli rename   (as plan) [--journal FILE | --no-journal]
  tavix-cli edit     [FILES] [ORDER] [--chains] [--yes] [--journal FILE | --no-journal]
  tavix-cli undo     JOURNAL | - | --last [--json]
  tavix-cli history  [--json] | history prune [--keep N]
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
  --last               (undo) the newest journal of the state folder
  --keep N             (history prune) keep the newest N journals (default 100)

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

// The groups of options, each taken by some commands.
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
    keep = 1024,
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
    {"history", {Command::history, json | keep, -1}},
    {"describe", {Command::describe, steps | json, 0}},
    {"info", {Command::info, json, 1}},
    {"presets", {Command::presets, steps | json | force, -1}},
};

// One option: the group it belongs to, and what it does to the arguments with
// its value. An option without a value refuses one given as --option=value.
struct Option {
    std::string_view name;
    unsigned group;
    bool takesValue;
    void (*apply)(Arguments& parsed, const std::string& value);
};

FileList::SortOrder sortOrder(const std::string& name) {
    using FileList::SortOrder;
    static const std::map<std::string, SortOrder, std::less<>> orders{
        {"name", SortOrder::name},
        {"date", SortOrder::date},
        {"size", SortOrder::size},
        {"created", SortOrder::created},
        {"taken", SortOrder::taken}};
    const auto named = orders.find(name);
    if (named == orders.end()) {
        throw UsageError("--sort takes name, date, size, created or taken, not " + name);
    }
    return named->second;
}

RenameEngine::DateSource dateSource(const std::string& name) {
    if (name == "modified") return RenameEngine::DateSource::modified;
    if (name == "taken") return RenameEngine::DateSource::taken;
    throw UsageError("--date-source takes modified or taken, not " + name);
}

std::size_t journalCount(const std::string& count) {
    if (count.empty() || count.size() > 9 ||
        count.find_first_not_of("0123456789") != std::string::npos) {
        throw UsageError("--keep takes a number of journals, not " + count);
    }
    return static_cast<std::size_t>(std::stoul(count));
}

using A = Arguments;
using V = const std::string&;

const Option options[] = {
    {"--rules", steps, true,
     [](A& a, V v) {
         if (a.rulesFile) throw UsageError("--rules given twice");
         a.rulesFile = v;
         a.presetsBeforeRules = a.presets.size();
     }},
    {"--preset", steps, true, [](A& a, V v) { a.presets.push_back(v); }},
    {"--step", steps, true, [](A& a, V v) { a.steps.push_back(v); }},
    {"--files-from", files, true,
     [](A& a, V v) {
         if (a.filesFrom) throw UsageError("--files-from given twice");
         a.filesFrom = v;
     }},
    {"-0", files, false, [](A& a, V) { a.nulSeparated = true; }},
    {"--no-keep-extension", planning, false, [](A& a, V) { a.keepExtension = false; }},
    {"--sort", planning, true, [](A& a, V v) { a.sort = sortOrder(v); }},
    {"--reverse", planning, false, [](A& a, V) { a.reverse = true; }},
    {"--per-folder", planning, false, [](A& a, V) { a.perFolder = true; }},
    {"--date-source", planning, true, [](A& a, V v) { a.dateSource = dateSource(v); }},
    {"--force", force, false, [](A& a, V) { a.force = true; }},
    {"--json", json, false, [](A& a, V) { a.json = true; }},
    {"--journal", journal, true, [](A& a, V v) { a.journal = v; }},
    {"--no-journal", journal, false, [](A& a, V) { a.noJournal = true; }},
    {"--chains", chains, false, [](A& a, V) { a.chains = true; }},
    {"--map", mapped, true,
     [](A& a, V v) {
         if (a.map) throw UsageError("--map given twice");
         a.map = v;
     }},
    {"--yes", confirm, false, [](A& a, V) { a.yes = true; }},
    {"--keep", keep, true, [](A& a, V v) { a.keep = journalCount(v); }},
    {"--last", last, false, [](A& a, V) { a.last = true; }},
};

// help, help steps, --help and --version, which take nothing else.
std::optional<Arguments> informational(const std::vector<std::string>& args) {
    const std::string& first = args.front();
    Arguments parsed;
    if (first == "--version") {
        parsed.command = Command::version;
        return parsed;
    }
    if (first != "--help" && first != "-h" && first != "help") return std::nullopt;
    parsed.command = Command::help;
    if (first == "help" && args.size() > 1) {
        if (args.size() > 2 || args[1] != "steps") {
            throw UsageError("help takes only the topic steps; see tavix-cli --help");
        }
        parsed.command = Command::helpSteps;
    }
    return parsed;
}

// The rules that join options and operands, once all are read.
void checkCombination(Arguments& parsed, const CommandInfo& info, const std::string& command) {
    if (info.operands >= 0 && static_cast<int>(parsed.paths.size()) != info.operands) {
        if (info.operands == 0) throw UsageError(command + " takes no file operands");
        throw UsageError(command + " takes exactly one " +
                         (info.command == Command::undo ? "JOURNAL" : "FILE"));
    }
    if (parsed.journal && parsed.noJournal) {
        throw UsageError("--journal and --no-journal can't be given together");
    }
    if (info.command == Command::undo && parsed.paths.size() != (parsed.last ? 0u : 1u)) {
        throw UsageError("undo takes exactly one JOURNAL, or --last");
    }
    if (info.command == Command::history) {
        parsed.prune = parsed.paths.size() == 1 && parsed.paths.front() == "prune";
        if (!parsed.paths.empty() && !parsed.prune) {
            throw UsageError("history takes no operands but prune");
        }
        if (parsed.prune && parsed.json) throw UsageError("history prune does not take --json");
        if (parsed.keep && !parsed.prune) throw UsageError("--keep needs history prune");
        parsed.paths.clear();
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
}

}  // namespace

Arguments parseArguments(const std::vector<std::string>& args) {
    if (args.empty()) throw UsageError("no command given; see tavix-cli --help");
    if (auto parsed = informational(args)) return *parsed;
    const std::string& first = args.front();
    const auto found = commands.find(first);
    if (found == commands.end()) {
        throw UsageError("unknown command " + first + "; see tavix-cli --help");
    }
    const CommandInfo info = found->second;
    Arguments parsed;
    parsed.command = info.command;

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
        if (arg.starts_with("--")) {
            if (const auto eq = arg.find('='); eq != std::string::npos) {
                inlineValue = arg.substr(eq + 1);
                arg.erase(eq);
            }
        }
        const auto option = std::find_if(std::begin(options), std::end(options),
                                         [&](const Option& o) { return o.name == arg; });
        if (option == std::end(options)) throw UsageError("unknown option " + arg);
        if (!(info.accepts & option->group)) throw UsageError(first + " does not take " + arg);
        std::string value;
        if (option->takesValue) {
            if (inlineValue) {
                value = *inlineValue;
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                throw UsageError(arg + " needs a value");
            }
        } else if (inlineValue) {
            throw UsageError(arg + " takes no value");
        }
        option->apply(parsed, value);
    }
    checkCombination(parsed, info, first);
    return parsed;
}

}  // namespace tavix::cli
