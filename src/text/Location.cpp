#include "text/Location.hpp"

#include <iomanip>
#include <ostream>

namespace tavix {

std::ostream& operator<<(std::ostream& out, const Location& location) {
    return out << std::quoted(location.native());
}

}  // namespace tavix
