#include "cli/Help.hpp"

#include <algorithm>
#include <vector>

#include "cli/ShortSteps.hpp"

namespace tavix::cli {
namespace {

using Json = nlohmann::ordered_json;

// A default as the short form would take it back.
std::string shown(const Json& value) {
    if (value.is_boolean() || value.is_number()) return value.dump();
    const std::string text = value.get<std::string>();
    if (const auto* set = ShortSteps::optionSetOf(text)) {
        for (std::size_t i = 0; i < set->titles.size(); ++i) {
            if (set->titles[i] == text) return std::string(set->names[i]);
        }
    }
    if (text.empty() || text.find(' ') != std::string::npos) return "\"" + text + "\"";
    return text;
}

std::string padded(std::string text, std::size_t width) {
    if (text.size() < width) text.resize(width, ' ');
    return text;
}

}  // namespace

std::string stepsHelp() {
    std::string page =
        "Steps in short form: --step 'KIND key=value ...', the keys and their defaults below.\n"
        "Values are quoted as in a shell (\"...\" or '...'); an option is written by its name\n"
        "or its title; flags are true or false; a key left out keeps its default.\n"
        "Outside quotes a backslash keeps the next character, so quote a regular\n"
        "expression's backslashes: --step \"findReplace find='\\d+' replace=# regex=true\".\n"
        "An argument that starts with { is the keyed JSON form; describe --json shows it.\n\n";
    // Option sets by the keys that take them, in the order they first appear.
    std::vector<std::pair<const ShortSteps::OptionNames*, std::string>> options;
    for (const ShortSteps::Kind& kind : ShortSteps::kinds()) {
        std::string keys;
        for (const auto& [key, value] : kind.blank.items()) {
            const bool unnamed = key == "_0";
            // Appended piece by piece: GCC 12 at -O3 warns falsely (-Wrestrict) on
            // "literal" + std::string&&.
            keys += ' ';
            if (!unnamed) keys.append(key).append("=");
            keys += shown(value);
            if (!value.is_string()) continue;
            const auto* set = ShortSteps::optionSetOf(value.get<std::string>());
            if (!set) continue;
            const std::string name = unnamed ? kind.name : key;
            auto known = std::find_if(options.begin(), options.end(),
                                      [&](const auto& entry) { return entry.first == set; });
            if (known == options.end()) {
                options.emplace_back(set, name);
            } else if (known->second.find(name) == std::string::npos) {
                known->second += ", " + name;
            }
        }
        page += "  " + padded(kind.name, 17) + (keys.empty() ? " (no keys)" : keys) + "\n";
        page.append("  ").append(padded("", 17)).append(" e.g. --step '");
        page.append(kind.example).append("'\n");
    }
    page += "\nOptions, by name (or by title):\n";
    for (const auto& [set, keys] : options) {
        // Wrapped to fit a terminal of 88 columns; the quotes count as one each.
        std::string line = "  " + padded(keys, 17);
        std::size_t width = line.size();
        for (std::size_t i = 0; i < set->names.size(); ++i) {
            const std::string title(set->titles[i]);
            std::string choice(" ");
            choice.append(set->names[i]).append(" (\u201C").append(title).append("\u201D)");
            if (i + 1 < set->names.size()) choice += ",";
            const std::size_t shownWidth = set->names[i].size() + title.size() + 6;
            if (width + shownWidth > 88) {
                page += line + "\n";
                line = "  " + padded("", 17);
                width = line.size();
            }
            line += choice;
            width += shownWidth;
        }
        page += line + "\n";
    }
    return page;
}

}  // namespace tavix::cli
