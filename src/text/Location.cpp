#include "text/Location.hpp"

#include <algorithm>
#include <iomanip>
#include <ostream>

namespace tavix {

std::ostream& operator<<(std::ostream& out, const Location& location) {
    return out << std::quoted(location.native());
}

bool operator==(const std::vector<Location>& a, const std::vector<std::filesystem::path>& b) {
    return std::ranges::equal(
        a, b, [](const Location& x, const std::filesystem::path& y) { return x == y; });
}

}  // namespace tavix
