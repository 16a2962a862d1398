#include "text/Wording.hpp"

namespace tavix::Wording {

std::string quoted(std::string_view text) {
    std::string out = "\u201C";
    out += text;
    out += "\u201D";
    return out;
}

}  // namespace tavix::Wording
