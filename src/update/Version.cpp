#include "update/Version.hpp"

namespace tavix {

std::string_view version() {
    return versionText;
}

}  // namespace tavix
