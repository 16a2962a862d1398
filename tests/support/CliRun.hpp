#pragma once

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.hpp"

namespace tavix::test {

struct CliResult {
    int status;
    std::string out;
    std::string err;
};

// Runs one tavix-cli command line in process from `cwd`, with `input` on
// standard input; an empty `state` takes the state folder from the environment.
inline CliResult runCli(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                        const std::string& input = "", bool terminal = false,
                        const std::filesystem::path& state = {}) {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    cli::Io io{in, out, err, terminal, false, cwd, state};
    const int status = cli::run(args, io);
    return {status, out.str(), err.str()};
}

}  // namespace tavix::test
