// Build-time helper: writes a shell completion from its template, with the
// keyed names of the kinds of step in place of @STEP_KINDS@, so the
// completions offer exactly the kinds the program knows.
//
//   completion < TEMPLATE > COMPLETION
#include <iostream>
#include <iterator>
#include <string>

#include "rules/RuleKinds.hpp"

int main() {
    std::string kinds;
    tavix::forEachKind([&](auto kind) {
        if (!kinds.empty()) kinds += ' ';
        kinds += tavix::KindDescription<typename decltype(kind)::type>::key;
    });
    std::string text(std::istreambuf_iterator<char>(std::cin), {});
    const std::string placeholder = "@STEP_KINDS@";
    const auto at = text.find(placeholder);
    if (at == std::string::npos) {
        std::cerr << "completion: the template has no " << placeholder << "\n";
        return 1;
    }
    text.replace(at, placeholder.size(), kinds);
    std::cout << text;
    return std::cout.flush() ? 0 : 1;
}
