#include <iostream>
#include <string_view>

#include "core/Version.hpp"

namespace {

constexpr std::string_view usage = R"(Usage:
  tavix-cli plan     [STEPS] [FILES] [--no-keep-extension] [--sort name|date] [--json]
  tavix-cli rename   [STEPS] [FILES] [--no-keep-extension] [--sort name|date] [--json] [--journal FILE]
  tavix-cli undo     JOURNAL [--json]
  tavix-cli describe [STEPS] [--json]
  tavix-cli info     FILE [--json]
  tavix-cli --help | --version

Steps:
  --rules FILE       a JSON array of steps in the keyed form ("-" reads standard input)
  --step JSON        one step in the keyed form; may be repeated
                     (with neither, the single blank find-and-replace step)

Files:
  PATH ...           files to rename, in order; duplicates, folders and missing paths are skipped
  --files-from FILE  one path per line ("-" reads standard input); with -0, NUL-separated
)";

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "--version") {
        std::cout << "tavix-cli " << tavix::version() << "\n";
        return 0;
    }
    if (argc == 2 && std::string_view(argv[1]) == "--help") {
        std::cout << "tavix-cli: rename files in batches from a terminal.\n\n" << usage;
        return 0;
    }
    std::cerr << "tavix-cli: unknown command; see tavix-cli --help\n";
    return 2;
}
