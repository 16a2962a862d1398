#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.hpp"
#include "support/Files.hpp"
#include "support/TemporaryFolder.hpp"

namespace tavix::test {

// What a command did, compared and printed whole.
struct CliResult {
    int status;
    std::string out;
    std::string err;
    friend bool operator==(const CliResult&, const CliResult&) = default;
    friend void PrintTo(const CliResult& r, std::ostream* os) {
        *os << "{" << r.status << ", out \"" << r.out << "\", err \"" << r.err << "\"}";
    }
};

// `text` between the typographic quotes messages put around names and paths.
inline std::string quoted(const std::string& text) { return "\u201C" + text + "\u201D"; }

// Runs one tavix-cli command line in process from `cwd`, with `input` on
// standard input; an empty `state` takes the state folder from the environment.
inline CliResult runCli(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                        const std::string& input = "", bool terminal = false,
                        const std::filesystem::path& state = {}, bool inIsTerminal = false) {
    std::istringstream in(input);
    std::ostringstream out;
    std::ostringstream err;
    cli::Io io{in, out, err, terminal, false, cwd, state, inIsTerminal};
    const int status = cli::run(args, io);
    return {status, out.str(), err.str()};
}

// Commands run in a fresh folder, keeping their journals in a state folder of
// their own; `outIsTerminal` and `inIsTerminal` say what the ends are.
class CliFolder : public ::testing::Test {
protected:
    CliResult run(const std::vector<std::string>& args, const std::string& input = "") {
        return runCli(args, folder.path(), input, outIsTerminal, state.path(), inIsTerminal);
    }
    // The whole path of `name` in the folder, whether it exists, and its contents.
    std::string at(const std::string& name) const { return (folder.path() / name).string(); }
    bool exists(const std::string& name) const { return std::filesystem::exists(folder.path() / name); }
    std::string in(const std::string& name) const { return contentsOf(folder.path() / name); }

    TemporaryFolder folder;
    TemporaryFolder state;
    bool outIsTerminal = false;
    bool inIsTerminal = false;
};

}  // namespace tavix::test
