#pragma once

#include <concepts>
#include <string>
#include <string_view>

// Pieces of the English sentences both programs write.
namespace tavix::Wording {

// `text` between typographic double quotes: “text”.
std::string quoted(std::string_view text);

// `count` and `noun`, an "s" added unless there is one: "1 file", "3 files".
template <std::integral Count>
std::string counted(Count count, std::string_view noun) {
    std::string text = std::to_string(count);
    text += ' ';
    text += noun;
    if (count != 1) text += 's';
    return text;
}

}  // namespace tavix::Wording
