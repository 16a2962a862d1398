#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace tavix::cli {

// Where the program reads and writes, and what it knows of its terminal.
struct Io {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    bool outIsTerminal = false;
    bool noColor = false;
    std::filesystem::path workingDirectory;
    // tavix's state folder, where journals are kept; empty: from the environment.
    std::filesystem::path stateFolder = {};
    // Standard input is a terminal, where a question can be answered.
    bool inIsTerminal = false;
    // Hears a file list's length in bytes before its paths are made, so that
    // the program can make room at once for what a list that long needs.
    std::function<void(std::size_t bytes)> expectList = {};
};

// Runs one command line (without the program's name) and returns the exit
// status: 0 success, 1 problems or failed moves, 2 usage or input errors.
int run(const std::vector<std::string>& args, Io& io);

}  // namespace tavix::cli
