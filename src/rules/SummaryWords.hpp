#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "rules/Options.hpp"
#include "text/Wording.hpp"

// The words the steps' one-line summaries are made of.
namespace tavix::SummaryWords {

// The parts one after another. Appending, unlike "literal" + std::string&&,
// isn't misread by GCC 12 at -O3 as an overlapping copy.
inline std::string joined(std::initializer_list<std::string_view> parts) {
    std::string out;
    for (std::string_view part : parts) out.append(part);
    return out;
}

// The option titles that summaries lower-case are all ASCII.
inline std::string lowered(std::string_view title) {
    std::string out(title);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

// Texts as typed go between curly quotes with Wording::quoted (named in full:
// std::quoted is found too); counts with their noun with counted().
using Wording::counted;

inline std::string_view where(Position position) {
    return position == Position::prefix ? "before" : "after";
}

inline std::string_view matchingCase(bool caseSensitive) {
    return caseSensitive ? ", matching case" : "";
}

}  // namespace tavix::SummaryWords
