#include "cli/Edit.hpp"

#include <cctype>
#include <cstdlib>
#include <memory>
#include <optional>

#include "cli/CommandPlan.hpp"
#include "cli/EditText.hpp"
#include "cli/Inputs.hpp"
#include "cli/PlanOutput.hpp"
#include "cli/RenameCommands.hpp"
#include "cli/TerminalText.hpp"
#include "system/RegularFile.hpp"
#include "system/TextEditor.hpp"
#include "text/PathNames.hpp"
#include "text/Wording.hpp"

namespace tavix::cli {
namespace {

// Far more than any list of names a person edits; a bound on what is read back.
constexpr std::size_t editLimit = std::size_t{1} << 30;

std::string editorCommand() {
    for (const char* variable : {"VISUAL", "EDITOR"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return value;
    }
    return "vi";
}

// Asks on the terminal; yes only for "y" or "yes", in any letter case.
bool confirmed(std::size_t count, Io& io) {
    io.out.flush();
    io.err << "Rename " << Wording::counted(count, "file") << "? [y/N] ";
    io.err.flush();
    std::string answer;
    if (!std::getline(io.in, answer)) return false;
    for (char& c : answer) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return answer == "y" || answer == "yes";
}

// The edited file, removed when the edit is done with unless it is kept for
// the text typed in it.
class ScratchFile {
public:
    explicit ScratchFile(std::filesystem::path path) : path_(std::move(path)) {}
    ~ScratchFile() {
        if (!kept_) FileSystem::removeScratchFile(path_);
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // Keeps the file and says where it is.
    void keep(Io& io) {
        kept_ = true;
        io.err << "tavix-cli: the edited names are kept in " << printable(path_) << "\n";
    }

private:
    std::filesystem::path path_;
    bool kept_ = false;
};

}  // namespace

int editFiles(Arguments args, Io& io) {
    std::vector<Location> files = readFiles(args, io);
    if (files.empty()) {
        printPlan(RenamePlan{}, 0, false, io.out);
        return 1;
    }

    std::error_code error;
    const std::filesystem::path path = FileSystem::createScratchFile(editText(files), error);
    if (error) throw InputError("could not write the names for the editor: " + error.message());
    ScratchFile scratch(path);
    io.out.flush();
    const int status = FileSystem::runEditor(editorCommand(), scratch.path(), error);
    if (error) throw InputError("could not start the editor: " + error.message());
    if (status != 0) {
        io.err << "tavix-cli: the editor exited with status " << status
               << "; nothing was renamed\n";
        return 1;
    }

    std::string text;
    if (const auto read = FileSystem::readRegularFile(scratch.path(), editLimit, text)) {
        scratch.keep(io);
        throw InputError("could not read the edited names: " + read.message());
    }
    std::vector<std::optional<std::string>> edited;
    try {
        edited = readEditText(text, files.size());
    } catch (const EditTextError& bad) {
        io.err << "tavix-cli: " << printable(std::string_view(bad.what()))
               << "; nothing was renamed\n";
        scratch.keep(io);
        return 2;
    }

    // A deleted line leaves its file's name as it is.
    auto names = std::make_shared<std::vector<std::string>>();
    names->reserve(files.size());
    args.paths.clear();
    for (std::size_t i = 0; i < files.size(); ++i) {
        names->push_back(edited[i] ? std::move(*edited[i]) : PathNames::name(files[i]));
        args.paths.push_back(files[i].native());
    }
    args.newNames = std::move(names);
    // The list is read again as it is now, in the order already given.
    args.filesFrom.reset();
    args.nulSeparated = false;
    args.sort.reset();
    args.reverse = false;

    const std::size_t fileCount = files.size();
    const RenamePlan plan = planBatches(std::move(files), {}, args);
    std::optional<RenameEngine::ChainPlaces> chains;
    if (args.chains) chains = chainPlaces(plan);
    printPlan(plan, fileCount, io.outIsTerminal && !io.noColor, io.out,
              chains ? &*chains : nullptr);
    if (plan.hasProblems()) {
        scratch.keep(io);
        return 1;
    }
    if (plan.changedCount() == 0) return 1;
    if (!args.yes) {
        if (!io.inIsTerminal) {
            io.err << "tavix-cli: nothing was renamed: standard input is not a terminal to "
                      "confirm on; give --yes to rename without asking\n";
            scratch.keep(io);
            return 1;
        }
        if (!confirmed(plan.changedCount(), io)) return 1;
    }
    args.command = Command::rename;
    return renameFiles(args, io);
}

}  // namespace tavix::cli
