#include "ui/CommandLineFiles.hpp"

#include <algorithm>

namespace tavix::ui {

std::vector<std::string> operands(int argc, const char* const* argv,
                                  const std::vector<std::string_view>& takingValue) {
    std::vector<std::string> found;
    bool onlyOperands = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (onlyOperands || argument.size() < 2 || argument.front() != '-') {
            found.emplace_back(argument);
        } else if (argument == "--") {
            onlyOperands = true;
        } else if (std::ranges::find(takingValue, argument) != takingValue.end()) {
            ++i;
        }
    }
    return found;
}

std::vector<Location> commandLineFiles(const std::vector<std::string>& operands,
                                       const std::filesystem::path& workingDirectory) {
    std::vector<Location> files;
    files.reserve(operands.size());
    for (const std::string& operand : operands) {
        if (operand.empty()) continue;
        const std::filesystem::path given(operand);
        std::filesystem::path file = given.is_absolute() ? std::filesystem::path("/")
                                                         : workingDirectory;
        for (const std::filesystem::path& part : given.relative_path()) {
            if (part != "." && !part.empty()) file /= part;
        }
        files.push_back(std::move(file));
    }
    return files;
}

}  // namespace tavix::ui
