#include "model/Presets.hpp"

#include <algorithm>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "rules/RuleCoding.hpp"
#include "system/FileStore.hpp"
#include "system/FileSystem.hpp"
#include "system/RegularFile.hpp"
#include "text/CanonicalText.hpp"
#include "text/Graphemes.hpp"
#include "text/Utf.hpp"
#include "text/Wording.hpp"

namespace tavix::Presets {
namespace {

using Json = nlohmann::ordered_json;
using Wording::quoted;

// Far beyond any stack of steps a person makes; a larger file is not a preset.
constexpr std::size_t kLargestPreset = 4 << 20;

// C0 controls, DEL, and the C1 controls U+0080 to U+009F (C2 80 to C2 9F in
// UTF-8): a name holding one could forge lines or drive a terminal.
bool hasControlCharacter(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) return true;
        if (byte == 0xC2 && i + 1 < text.size() &&
            static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            return true;
        }
    }
    return false;
}

Error failure(Error::Kind kind, std::string detail = {}) {
    return Error{kind, std::move(detail)};
}

// Whether `name` can be a preset's file name at all. Looser than isValidName:
// a preset made by hand, or saved before control characters were refused, can
// still be read and deleted.
bool isFileName(std::string_view name) {
    return !name.empty() && name.front() != '.' && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

enum class Use { reading, saving };

// The file of a name, or why there is none.
std::optional<Error> fileOf(std::string_view name, Use use, std::filesystem::path& file) {
    if (use == Use::saving ? !isValidName(name) : !isFileName(name)) {
        return failure(Error::Kind::badName);
    }
    const auto presets = folder();
    if (!presets) return failure(Error::Kind::noHome);
    file = *presets / (std::string(name) + ".json");
    return std::nullopt;
}

// The file `name` is kept in: its canonical spelling's, or, for a preset saved
// under another spelling before names were kept canonical, that one.
std::optional<Error> existingFileOf(std::string_view name, std::filesystem::path& file) {
    const std::string canonical = canonicalName(name);
    if (auto error = fileOf(canonical, Use::reading, file)) return error;
    std::filesystem::path given;
    if (canonical != name && !fileOf(name, Use::reading, given) && !FileSystem::exists(file) &&
        FileSystem::exists(given)) {
        file = std::move(given);
    }
    return std::nullopt;
}

std::optional<Error> decodeAll(const std::string& text, std::vector<RenameRule>& rules) {
    const auto json = Json::parse(text, nullptr, false);
    if (json.is_discarded()) return failure(Error::Kind::undecodable, "not valid JSON");
    if (!json.is_array()) {
        return failure(Error::Kind::undecodable, "expected a JSON array of steps");
    }
    rules.clear();
    for (const auto& step : json) {
        try {
            rules.push_back(decodeRule(step));
        } catch (const RuleDecodingError& error) {
            return failure(Error::Kind::undecodable,
                           "step " + std::to_string(rules.size() + 1) + ": " + error.what());
        }
    }
    return std::nullopt;
}

}  // namespace

std::string message(const Error& error, std::string_view shown) {
    switch (error.kind) {
        case Error::Kind::badName:
            return quoted(shown) +
                   " can't name a preset: use 1 to 100 characters, no \u201C/\u201D or control "
                   "characters, not starting with \u201C.\u201D";
        case Error::Kind::noHome:
            return "no home folder to keep presets in (HOME is not set)";
        case Error::Kind::missing:
            return "no preset " + quoted(shown);
        case Error::Kind::exists:
            return "preset " + quoted(shown) + " exists already";
        case Error::Kind::folderUnreadable:
            return std::string(shown) + ": " + error.detail;
        case Error::Kind::unreadable:
        case Error::Kind::undecodable:
        case Error::Kind::unwritable:
            break;
    }
    return "preset " + quoted(shown) + ": " + error.detail;
}

std::optional<std::filesystem::path> folder() {
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base directory rules say.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config == '/') return std::filesystem::path(config) / "tavix" / "presets";
    const char* home = std::getenv("HOME");
    if (!home || *home != '/') return std::nullopt;
    return std::filesystem::path(home) / ".config" / "tavix" / "presets";
}

std::string canonicalName(std::string_view name) {
    // Ill-formed text has no canonical form; it stays as it is, and is refused.
    if (!text::isValidUtf8(name)) return std::string(name);
    return canonicalForm(name);
}

bool isValidName(std::string_view name) {
    if (name.empty() || name.front() == '.' || name.find('/') != std::string_view::npos ||
        !text::isValidUtf8(name) || hasControlCharacter(name)) {
        return false;
    }
    const std::size_t characters = text::graphemeBoundaries(name).size() - 1;
    return characters <= 100;
}

std::optional<Error> list(std::vector<std::string>& names) {
    names.clear();
    const auto presets = folder();
    if (!presets) return failure(Error::Kind::noHome);
    std::error_code error;
    std::vector<std::string> files = FileSystem::regularFileNames(*presets, error);
    if (error == std::errc::no_such_file_or_directory) return std::nullopt;
    if (error) return failure(Error::Kind::folderUnreadable, error.message());
    for (std::string& file : files) {
        if (file.size() <= 5 || !file.ends_with(".json") || file.front() == '.') continue;
        file.resize(file.size() - 5);
        names.push_back(std::move(file));
    }
    std::sort(names.begin(), names.end());
    return std::nullopt;
}

std::optional<Error> load(std::string_view name, std::vector<RenameRule>& rules) {
    std::filesystem::path file;
    if (auto error = existingFileOf(name, file)) return error;
    std::string text;
    if (const std::error_code error = FileSystem::readRegularFile(file, kLargestPreset, text)) {
        if (error == std::errc::no_such_file_or_directory) return failure(Error::Kind::missing);
        return failure(Error::Kind::unreadable, error.message());
    }
    return decodeAll(text, rules);
}

std::optional<Error> save(std::string_view name, const std::vector<RenameRule>& rules,
                          bool replace) {
    std::filesystem::path file;
    if (auto error = fileOf(canonicalName(name), Use::saving, file)) return error;
    std::string contents;
    try {
        Json steps = Json::array();
        for (const RenameRule& rule : rules) steps.push_back(encodeRule(rule));
        contents = steps.dump(2) + "\n";
    } catch (const Json::type_error&) {
        // Rewriting the text would save a different step than the one given.
        return failure(Error::Kind::unwritable, "a step's text is not valid UTF-8");
    }
    const std::error_code error = FileSystem::saveWhole(file, contents, replace);
    if (error == std::errc::file_exists && !replace) return failure(Error::Kind::exists);
    if (error) return failure(Error::Kind::unwritable, error.message());
    return std::nullopt;
}

std::optional<Error> remove(std::string_view name) {
    std::filesystem::path file;
    if (auto error = existingFileOf(name, file)) return error;
    const std::error_code error = FileSystem::removeFile(file);
    if (error == std::errc::no_such_file_or_directory) return failure(Error::Kind::missing);
    if (error) return failure(Error::Kind::unwritable, error.message());
    return std::nullopt;
}

}  // namespace tavix::Presets
