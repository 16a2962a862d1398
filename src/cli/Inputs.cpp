#include "cli/Inputs.hpp"

#include <algorithm>
#include <cstring>
#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/PresetsCommand.hpp"
#include "cli/ShortSteps.hpp"
#include "cli/TerminalText.hpp"
#include "model/FileList.hpp"
#include "model/FileOrder.hpp"
#include "rules/Catalogue.hpp"
#include "rules/RuleCoding.hpp"
#include "rules/StepJson.hpp"
#include "system/ChunkReads.hpp"
#include "system/RegularFile.hpp"

namespace tavix::cli {

namespace {

// Enough for a list of millions of paths; a file or stream without end (a
// device, a runaway pipe) is refused once past it rather than read forever.
constexpr std::size_t largestInput = std::size_t{256} << 20;

std::string tooLong(std::string_view name) {
    std::string message(name);
    message += ": longer than 256 MiB, more than a list or steps can hold";
    return message;
}

// A whole file, or standard input for "-"; `expect`, when set, hears the
// length before the text is read (after, from standard input).
std::string readWhole(const std::string& path, Io& io,
                      const std::function<void(std::size_t)>& expect) {
    std::string text;
    if (path == "-") {
        char buffer[1 << 16];
        while (io.in.read(buffer, sizeof buffer) || io.in.gcount() > 0) {
            const auto got = static_cast<std::size_t>(io.in.gcount());
            if (got > largestInput - text.size()) throw InputError(tooLong("standard input"));
            text.append(buffer, got);
        }
        if (io.in.bad()) throw InputError("standard input: could not be read");
        if (expect) expect(text.size());
        return text;
    }
    std::filesystem::path location(path);
    if (location.is_relative()) location = io.workingDirectory / location;
    std::error_code error;
    const FileSystem::Descriptor file = FileSystem::openForReading(location, error);
    if (!error) {
        if (const auto size = FileSystem::sizeOf(file); size && expect)
            expect(static_cast<std::size_t>(std::min<std::uint64_t>(*size, largestInput)));
        error = FileSystem::readAll(file, largestInput, text);
    }
    if (error) {
        if (error == FileSystem::FileError::tooLarge) throw InputError(tooLong(path));
        throw InputError(path + ": " + error.message());
    }
    return text;
}

}  // namespace

std::string readAll(const std::string& path, Io& io) { return readWhole(path, io, {}); }

namespace {

// Whether `text` holds a "." component, a repeated slash or a trailing slash:
// one pass from slash to slash.
bool needsTidying(std::string_view text) {
    if (text.size() > 1 && text.back() == '/') return true;
    const char* const end = text.data() + text.size();
    for (const char* at = text.data();
         (at = static_cast<const char*>(std::memchr(at, '/', static_cast<std::size_t>(end - at))));
         ++at) {
        const std::size_t rest = static_cast<std::size_t>(end - at) - 1;
        if (rest == 0) break;
        if (at[1] == '/') return true;
        if (at[1] == '.' && (rest == 1 || at[2] == '/')) return true;
    }
    return false;
}

}  // namespace

Location absolutePath(const std::filesystem::path& workingDirectory, std::string text) {
    if (text.empty() || text.front() != '/') {
        std::string joined = workingDirectory.native();
        if (joined.empty() || joined.back() != '/') joined += '/';
        joined += text;
        text = std::move(joined);
    }
    if (!needsTidying(text)) return Location(std::move(text));
    std::string tidy;
    tidy.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '/') {
            if (tidy.empty() || tidy.back() != '/') tidy += '/';
            ++i;
            continue;
        }
        std::size_t end = text.find('/', i);
        if (end == std::string::npos) end = text.size();
        const std::string_view component(text.data() + i, end - i);
        if (component != ".") tidy.append(component);
        i = end;
    }
    while (tidy.size() > 1 && tidy.back() == '/') tidy.pop_back();
    return Location(std::move(tidy));
}

std::vector<RenameRule> readSteps(const Arguments& args, Io& io) {
    std::vector<RenameRule> rules;
    std::size_t position = 0;
    const auto decode = [&](const auto& decoder) {
        ++position;
        try {
            rules.push_back(decoder());
        } catch (const RuleDecodingError& error) {
            throw InputError("step " + std::to_string(position) + ": " + error.what());
        }
    };
    const auto addPresets = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            for (RenameRule& rule : Presets::load(args.presets[i])) {
                ++position;
                rules.push_back(std::move(rule));
            }
        }
    };
    addPresets(0, args.presetsBeforeRules);
    if (args.rulesFile) {
        const std::string text = readAll(*args.rulesFile, io);
        nlohmann::ordered_json json;
        try {
            json = parseStepJson(text);
        } catch (const NumberRangeError& error) {
            if (!error.element) throw InputError(*args.rulesFile + ": " + error.what());
            throw InputError("step " + std::to_string(*error.element + 1) + ": " + error.what());
        } catch (const RuleDecodingError&) {
            throw InputError(*args.rulesFile + ": not valid JSON");
        }
        if (!json.is_array())
            throw InputError(*args.rulesFile + ": expected a JSON array of steps");
        for (const auto& step : json) decode([&] { return decodeRule(step); });
    }
    addPresets(args.presetsBeforeRules, args.presets.size());
    for (const std::string& step : args.steps) decode([&] { return ShortSteps::decode(step); });
    if (position == 0) rules.push_back(blank(RuleAction::findReplace));
    return rules;
}

std::vector<Location> readFiles(const Arguments& args, Io& io, FileSystem::FolderSnapshots* folders,
                                std::vector<std::optional<FileSystem::Timestamp>>* stepDates) {
    // Each path is made absolute as it is read: the list's text and one string
    // per path, nothing more, is all the memory a long list takes.
    std::vector<Location> absolute;
    absolute.reserve(args.paths.size());
    for (const std::string& path : args.paths)
        absolute.push_back(absolutePath(io.workingDirectory, path));
    if (args.filesFrom) {
        const std::string text = readWhole(*args.filesFrom, io, io.expectList);
        const char separator = args.nulSeparated ? '\0' : '\n';
        std::size_t lines = 1;
        for (const char* at = text.data(), *end = at + text.size();
             (at = static_cast<const char*>(
                  std::memchr(at, separator, static_cast<std::size_t>(end - at))));
             ++at) {
            ++lines;
        }
        absolute.reserve(absolute.size() + lines);
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find(separator, start);
            if (end == std::string::npos) end = text.size();
            std::string_view line(text.data() + start, end - start);
            if (!args.nulSeparated && !line.empty() && line.back() == '\r') line.remove_suffix(1);
            if (!line.empty())
                absolute.push_back(absolutePath(io.workingDirectory, std::string(line)));
            start = end + 1;
        }
    }
    auto files =
        FileList::adding({}, std::move(absolute), [&](const auto& path, FileList::SkipReason why) {
            io.err << "tavix-cli: skipped " << printable(path) << ": " << FileList::describe(why)
                   << "\n";
        },
        folders);
    if (stepDates) stepDates->clear();
    if (!args.sort) return files;
    if (!stepDates) return FileList::sorted(std::move(files), *args.sort, args.reverse);
    FileList::StepDates read{args.dateSource, {}};
    files = FileList::sorted(std::move(files), *args.sort, args.reverse, {}, &read);
    *stepDates = std::move(read.dates);
    return files;
}

}  // namespace tavix::cli
