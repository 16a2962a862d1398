#include "cli/PresetsCommand.hpp"

#include <nlohmann/json.hpp>

#include "cli/Describe.hpp"
#include "cli/Inputs.hpp"
#include "cli/PlanOutput.hpp"
#include "cli/TerminalText.hpp"
#include "model/Presets.hpp"
#include "text/Wording.hpp"

namespace tavix::cli::Presets {
namespace {

using Json = nlohmann::ordered_json;
using tavix::Presets::Error;

std::string quoted(const std::string& name) {
    return Wording::quoted(printable(name));
}

// The store's error as the terminal reports it, names escaped.
std::string reason(const Error& error, const std::string& name) {
    if (error.kind == Error::Kind::folderUnreadable) {
        const auto folder = tavix::Presets::folder();
        return tavix::Presets::message(error, folder ? printable(*folder) : "");
    }
    std::string text = tavix::Presets::message(error, printable(name));
    if (error.kind == Error::Kind::exists) text += "; add --force to replace it";
    return text;
}

[[noreturn]] void fail(const Error& error, const std::string& name) {
    if (error.kind == Error::Kind::badName) throw UsageError(reason(error, name));
    throw InputError(reason(error, name));
}

}  // namespace

std::vector<RenameRule> load(const std::string& name) {
    std::vector<RenameRule> rules;
    if (const auto error = tavix::Presets::load(name, rules)) fail(*error, name);
    return rules;
}

int command(const Arguments& args, Io& io) {
    const std::vector<std::string>& operands = args.paths;
    const std::string sub = operands.empty() ? "list" : operands.front();
    const bool takesName = sub == "show" || sub == "save" || sub == "delete";
    if (!takesName && sub != "list") {
        throw UsageError("presets takes list, show, save or delete, not " + printable(sub));
    }
    if (operands.size() != (takesName ? 2u : operands.empty() ? 0u : 1u)) {
        throw UsageError(takesName ? "presets " + sub + " takes one NAME"
                                   : "presets list takes no operands");
    }
    const bool hasSteps = args.rulesFile || !args.steps.empty() || !args.presets.empty();
    if (sub != "save" && hasSteps) throw UsageError("presets " + sub + " takes no steps");
    if (sub != "save" && args.force) throw UsageError("presets " + sub + " does not take --force");
    if ((sub == "save" || sub == "delete") && args.json) {
        throw UsageError("presets " + sub + " does not take --json");
    }

    if (sub == "list") {
        std::vector<std::string> names;
        if (const auto error = tavix::Presets::list(names)) fail(*error, "");
        Json list = Json::array();
        bool allRead = true;
        for (const std::string& name : names) {
            std::vector<RenameRule> rules;
            if (const auto error = tavix::Presets::load(name, rules)) {
                io.err << "tavix-cli: " << reason(*error, name) << "\n";
                allRead = false;
                continue;
            }
            if (args.json) {
                list.push_back({{"name", name}, {"steps", keyedSteps(rules)}});
            } else {
                io.out << printable(name) << "\n";
                for (std::size_t i = 0; i < rules.size(); ++i) {
                    io.out << "  " << i + 1 << ". " << printable(rules[i].summary()) << "\n";
                }
            }
        }
        if (args.json) io.out << dumpJson(list) << "\n";
        return allRead ? 0 : 2;
    }
    const std::string& name = operands[1];
    if (sub == "show") {
        describeSteps(load(name), args.json, io.out);
    } else if (sub == "delete") {
        if (const auto error = tavix::Presets::remove(name)) fail(*error, name);
        io.out << "Deleted preset " << quoted(name) << ".\n";
    } else {
        if (!tavix::Presets::isValidName(tavix::Presets::canonicalName(name))) {
            fail(Error{Error::Kind::badName, {}}, name);
        }
        if (!hasSteps) throw UsageError("presets save needs steps: --step, --rules or --preset");
        const std::vector<RenameRule> rules = readSteps(args, io);
        if (const auto error = tavix::Presets::save(name, rules, args.force)) fail(*error, name);
        io.out << "Saved preset " << quoted(tavix::Presets::canonicalName(name)) << ": "
               << rules.size() << (rules.size() == 1 ? " step.\n" : " steps.\n");
    }
    return 0;
}

}  // namespace tavix::cli::Presets
