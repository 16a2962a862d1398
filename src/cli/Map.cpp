#include "cli/Map.hpp"

#include <memory>

#include "cli/Inputs.hpp"

namespace tavix::cli {

void readMap(std::string_view text, Arguments& args, const Io& io) {
    // Names by place, not by path: a table keyed by path would cost more than
    // the paths themselves.
    auto names = std::make_shared<std::vector<std::string>>();
    args.paths.clear();
    const auto add = [&](std::string_view path, std::string_view name) {
        args.paths.push_back(absolutePath(io.workingDirectory, std::string(path)).native());
        names->emplace_back(name);
    };
    if (args.nulSeparated) {
        if (!text.empty() && text.back() == '\0') text.remove_suffix(1);
        std::size_t field = 0;
        std::string_view path;
        while (!text.empty()) {
            const std::size_t end = std::min(text.find('\0'), text.size());
            const std::string_view value = text.substr(0, end);
            text.remove_prefix(std::min(end + 1, text.size()));
            if (field++ % 2 == 0) {
                path = value;
            } else {
                add(path, value);
            }
        }
        if (field % 2 == 1) throw UsageError("--map ends with a path that has no new name");
    } else {
        std::size_t number = 0;
        while (!text.empty()) {
            const std::size_t end = std::min(text.find('\n'), text.size());
            const std::string_view line = text.substr(0, end);
            text.remove_prefix(std::min(end + 1, text.size()));
            ++number;
            if (line.empty()) continue;
            const std::size_t tab = line.find('\t');
            if (tab == std::string_view::npos) {
                throw UsageError("--map line " + std::to_string(number) +
                                 " has no tab between the path and the new name");
            }
            add(line.substr(0, tab), line.substr(tab + 1));
        }
    }
    args.nulSeparated = false;
    args.newNames = std::move(names);
}

}  // namespace tavix::cli
