#include "cli/Cli.hpp"

#include <iostream>
#include <optional>

#include "cli/Arguments.hpp"
#include "cli/CommandPlan.hpp"
#include "cli/Describe.hpp"
#include "cli/Edit.hpp"
#include "cli/Help.hpp"
#include "cli/Inputs.hpp"
#include "cli/Map.hpp"
#include "cli/PlanOutput.hpp"
#include "cli/PresetsCommand.hpp"
#include "cli/RenameCommands.hpp"
#include "cli/TerminalText.hpp"
#include "engine/RenamePlan.hpp"
#include "model/FileInfo.hpp"
#include "model/FileTokens.hpp"
#include "rules/Catalogue.hpp"
#include "update/Version.hpp"

namespace tavix::cli {
namespace {

using Json = nlohmann::ordered_json;

int plan(const Arguments& args, Io& io) {
    const auto [plan, fileCount] = planCommandLine(args, io);
    std::optional<RenameEngine::ChainPlaces> chains;
    if (args.chains) chains = chainPlaces(plan);
    if (args.json) {
        writePlanJson(plan, io.out, chains ? &*chains : nullptr);
        io.out << "\n";
    } else {
        printPlan(plan, fileCount, io.outIsTerminal && !io.noColor, io.out,
                  chains ? &*chains : nullptr);
    }
    return plan.hasProblems() ? 1 : 0;
}

int describe(const Arguments& args, Io& io) {
    describeSteps(readSteps(args, io), args.json, io.out);
    return 0;
}

int info(const Arguments& args, Io& io) {
    const std::filesystem::path path = absolutePath(io.workingDirectory, args.paths.front());
    const FileInfo facts = FileInfo::read(path);
    const FileTokens tokens = FileTokens::read(path);
    const std::pair<std::string, std::string> tokenRows[] = {
        {"<FileName>", tokens.fileName},         {"<FILENAME>", tokens.upperFileName},
        {"<filename>", tokens.lowerFileName},    {"<FileExtension>", tokens.fileExtension},
        {"<ParentFolder>", tokens.parentFolder},
    };
    if (args.json) {
        Json document;
        document["path"] = facts.path;
        document["kind"] = facts.kind;
        document["size"] = facts.size;
        document["created"] = facts.created;
        document["modified"] = facts.modified;
        document["dimensions"] = facts.dimensions ? Json(*facts.dimensions) : Json(nullptr);
        document["colorSpace"] = facts.colorSpace ? Json(*facts.colorSpace) : Json(nullptr);
        Json tokenObject = Json::object();
        for (const auto& [label, value] : tokenRows) tokenObject[label] = value;
        document["tokens"] = std::move(tokenObject);
        io.out << dumpJson(document) << "\n";
        return 0;
    }
    io.out << "Path: " << printable(facts.path) << "\n"
           << "Kind: " << printable(facts.kind) << "\n"
           << "Size: " << facts.size << "\n"
           << "Created: " << facts.created << "\n"
           << "Modified: " << facts.modified << "\n";
    if (facts.dimensions) {
        io.out << "Dimensions: " << *facts.dimensions << "\n"
               << "Colour model: " << facts.colorSpace.value_or("\u2014") << "\n";
    } else {
        io.out << "Dimensions: Not an image\n";
    }
    for (const auto& [label, value] : tokenRows) {
        io.out << label << ": " << printable(value) << "\n";
    }
    return 0;
}

}  // namespace

int run(const std::vector<std::string>& argv, Io& io) {
    try {
        Arguments args = parseArguments(argv);
        if (args.map) readMap(readAll(*args.map, io), args, io);
        switch (args.command) {
            case Command::help:
                io.out << usageText << "\n" << stepsHelp();
                return 0;
            case Command::helpSteps:
                io.out << stepsHelp();
                return 0;
            case Command::presets:
                return Presets::command(args, io);
            case Command::version:
                io.out << "tavix-cli " << version() << "\n";
                return 0;
            case Command::plan:
                return plan(args, io);
            case Command::describe:
                return describe(args, io);
            case Command::info:
                return info(args, io);
            case Command::rename:
                return renameFiles(args, io);
            case Command::edit:
                return editFiles(args, io);
            case Command::undo:
                return undoJournal(args, io);
            case Command::history:
                return showHistory(args, io);
        }
    } catch (const std::exception& error) {
        // Usage, input and journal errors alike: one line, whatever names it holds.
        io.err << "tavix-cli: " << printable(std::string_view(error.what())) << "\n";
    }
    return 2;
}

}  // namespace tavix::cli
