#include "rules/Sequences.hpp"

#include <algorithm>
#include <utility>

namespace tavix::Sequences {

std::string roman(std::int64_t n) {
    if (n < 1 || n > 3999) return std::to_string(n);
    static constexpr std::pair<int, const char*> table[] = {
        {1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"}, {90, "XC"}, {50, "L"},
        {40, "XL"},  {10, "X"},   {9, "IX"},  {5, "V"},    {4, "IV"},  {1, "I"}};
    std::string out;
    for (const auto& [value, letters] : table) {
        while (n >= value) {
            out += letters;
            n -= value;
        }
    }
    return out;
}

std::string letters(std::int64_t n, bool uppercase) {
    // The engine only passes non-negative indexes; a negative one would loop on
    // a negative remainder, so it is treated as the first file.
    if (n < 0) n = 0;
    const char base = uppercase ? 'A' : 'a';
    std::string out;
    while (true) {
        out.push_back(static_cast<char>(base + n % 26));
        const std::int64_t remembered = n;
        n = n / 26 - 1;
        if (remembered <= 25) break;
    }
    std::reverse(out.begin(), out.end());
    return out;
}

}  // namespace tavix::Sequences
