#include "cli/Presets.hpp"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/Describe.hpp"
#include "cli/Inputs.hpp"
#include "cli/PlanOutput.hpp"
#include "rules/RuleCoding.hpp"

namespace tavix::cli::Presets {
namespace {

using Json = nlohmann::ordered_json;

std::string quoted(const std::string& name) {
    return "\u201C" + name + "\u201D";
}

std::filesystem::path fileOf(const std::string& name) {
    checkName(name);
    return folder() / (name + ".json");
}

std::vector<RenameRule> decodeAll(const std::string& name, const std::string& text) {
    const auto json = Json::parse(text, nullptr, false);
    if (json.is_discarded()) throw InputError("preset " + quoted(name) + ": not valid JSON");
    if (!json.is_array()) {
        throw InputError("preset " + quoted(name) + ": expected a JSON array of steps");
    }
    std::vector<RenameRule> rules;
    for (const auto& step : json) {
        try {
            rules.push_back(decodeRule(step));
        } catch (const RuleDecodingError& error) {
            throw InputError("preset " + quoted(name) + ": step " +
                             std::to_string(rules.size() + 1) + ": " + error.what());
        }
    }
    return rules;
}

// Names of the presets in the folder, in byte order; files that aren't
// presets (temporary files start with ".") are passed over.
std::vector<std::string> names() {
    std::vector<std::string> found;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder(), error), end; !error && it != end;
         it.increment(error)) {
        const std::string file = it->path().filename().string();
        if (file.size() <= 5 || !file.ends_with(".json") || file.front() == '.') continue;
        if (!it->is_regular_file(error)) continue;
        found.push_back(file.substr(0, file.size() - 5));
    }
    if (error && error != std::errc::no_such_file_or_directory) {
        throw InputError(folder().string() + ": " + error.message());
    }
    std::sort(found.begin(), found.end());
    return found;
}

void remove(const std::string& name) {
    const std::filesystem::path file = fileOf(name);
    if (::unlink(file.c_str()) != 0) {
        if (errno == ENOENT) throw InputError("no preset " + quoted(name));
        throw InputError("preset " + quoted(name) + ": " + std::strerror(errno));
    }
}

}  // namespace

std::filesystem::path folder() {
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base directory rules say.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config == '/') return std::filesystem::path(config) / "tavix" / "presets";
    const char* home = std::getenv("HOME");
    if (!home || *home != '/')
        throw InputError("no home folder to keep presets in (HOME is not set)");
    return std::filesystem::path(home) / ".config" / "tavix" / "presets";
}

void checkName(const std::string& name) {
    // Characters, not bytes: UTF-8 continuation bytes don't start one.
    const auto characters = std::count_if(name.begin(), name.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    });
    if (characters < 1 || characters > 100 || name.find('/') != std::string::npos ||
        name.front() == '.') {
        throw UsageError(quoted(name) +
                         " can't name a preset: use 1 to 100 characters, no \u201C/\u201D, "
                         "not starting with \u201C.\u201D");
    }
}

std::vector<RenameRule> load(const std::string& name) {
    const std::filesystem::path file = fileOf(name);
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        if (errno == ENOENT) throw InputError("no preset " + quoted(name));
        throw InputError("preset " + quoted(name) + ": " + std::strerror(errno));
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw InputError("preset " + quoted(name) + ": could not be read");
    return decodeAll(name, text.str());
}

void save(const std::string& name, const std::vector<RenameRule>& rules, bool force) {
    const std::filesystem::path file = fileOf(name);
    std::string contents;
    try {
        contents = keyedSteps(rules).dump(2) + "\n";
    } catch (const Json::type_error&) {
        // Rewriting the text would save a different step than the one given.
        throw InputError("preset " + quoted(name) + ": a step's text is not valid UTF-8");
    }
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    if (error) throw InputError(file.parent_path().string() + ": " + error.message());

    const auto fail = [&](const std::string& temporary) {
        const std::string why = std::strerror(errno);
        if (!temporary.empty()) ::unlink(temporary.c_str());
        throw InputError("preset " + quoted(name) + ": " + why);
    };
    // Written whole under a name that isn't a preset's, then moved into place.
    std::string temporary = (file.parent_path() / ("." + name + ".json.XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) fail("");
    for (std::size_t written = 0; written < contents.size();) {
        const ssize_t n = ::write(fd, contents.data() + written, contents.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ::close(fd);
            fail(temporary);
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) {
        ::close(fd);
        fail(temporary);
    }
    if (::close(fd) != 0) fail(temporary);

    if (force) {
        // Replacing is what was asked for; the rename makes it one atomic step.
        if (::rename(temporary.c_str(), file.c_str()) != 0) fail(temporary);
        return;
    }
    // RENAME_NOREPLACE makes the check and the move one step; where the file
    // system refuses the flag, a hard link is just as exclusive.
    if (::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, file.c_str(), RENAME_NOREPLACE) == 0) {
        return;
    }
    if (errno == EINVAL || errno == ENOSYS) {
        if (::link(temporary.c_str(), file.c_str()) == 0) {
            ::unlink(temporary.c_str());
            return;
        }
    }
    if (errno == EEXIST) {
        ::unlink(temporary.c_str());
        throw InputError("preset " + quoted(name) + " exists already; add --force to replace it");
    }
    fail(temporary);
}

int command(const Arguments& args, Io& io) {
    const std::vector<std::string>& operands = args.paths;
    const std::string sub = operands.empty() ? "list" : operands.front();
    const bool takesName = sub == "show" || sub == "save" || sub == "delete";
    if (!takesName && sub != "list") {
        throw UsageError("presets takes list, show, save or delete, not " + sub);
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
        Json list = Json::array();
        bool allRead = true;
        for (const std::string& name : names()) {
            std::vector<RenameRule> rules;
            try {
                rules = load(name);
            } catch (const InputError& error) {
                io.err << "tavix-cli: " << error.what() << "\n";
                allRead = false;
                continue;
            }
            if (args.json) {
                list.push_back({{"name", name}, {"steps", keyedSteps(rules)}});
            } else {
                io.out << name << "\n";
                for (std::size_t i = 0; i < rules.size(); ++i) {
                    io.out << "  " << i + 1 << ". " << rules[i].summary() << "\n";
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
        remove(name);
        io.out << "Deleted preset " << quoted(name) << ".\n";
    } else {
        checkName(name);
        if (!hasSteps) throw UsageError("presets save needs steps: --step, --rules or --preset");
        const std::vector<RenameRule> rules = readSteps(args, io);
        save(name, rules, args.force);
        io.out << "Saved preset " << quoted(name) << ": " << rules.size()
               << (rules.size() == 1 ? " step.\n" : " steps.\n");
    }
    return 0;
}

}  // namespace tavix::cli::Presets
