#pragma once

#include <string>

namespace tavix::cli {

// The page of `tavix-cli help steps`: every kind in the short form, each with
// its keys and their defaults and one example, then the options' names.
std::string stepsHelp();

}  // namespace tavix::cli
