#include <malloc.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "cli/Cli.hpp"

int main(int argc, char** argv) {
    // One heap for every thread: a long plan is built on several, and a second
    // heap would keep what its thread frees apart from the first's, megabytes
    // more at the peak.
    mallopt(M_ARENA_MAX, 1);
    // Blocks of 128 KiB and more are mapped on their own and go back to the
    // system when freed. Left to itself, the allocator raises that bound to the
    // largest block freed so far (the file list's text, some megabytes), and
    // every large array after it then comes from the heap, whose freed holes
    // stay resident: 3.4 MB of a 100,000-file plan's peak.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    std::ios::sync_with_stdio(false);
    std::error_code error;
    const char* noColor = std::getenv("NO_COLOR");
    tavix::cli::Io io{std::cin,
                      std::cout,
                      std::cerr,
                      isatty(STDOUT_FILENO) == 1,
                      noColor != nullptr && *noColor != '\0',
                      std::filesystem::current_path(error),
                      {},
                      isatty(STDIN_FILENO) == 1};
    const int status = tavix::cli::run(std::vector<std::string>(argv + 1, argv + argc), io);
    std::cout.flush();
    return status;
}
