#pragma once

#include <string>
#include <string_view>
#include <vector>

// The order a file browser shows names in.
namespace tavix::text {

// One sort key per name, compared as bytes, for the current locale's collation
// with letter case ignored (accents not) and runs of digits compared as
// numbers ("2" before "10"). Empty when the locale has no collation.
std::vector<std::string> nameSortKeys(const std::vector<std::string_view>& names);

}  // namespace tavix::text
