#pragma once

#include <string>
#include <string_view>

namespace tavix::cli {

// The page of `tavix-cli help steps`: the fifteen kinds in the short form, each
// with its keys and their defaults and one example, then the options' names.
std::string stepsHelp();

// The example of a kind shown on that page (the argument of --step).
std::string_view stepExample(std::string_view kind);

}  // namespace tavix::cli
