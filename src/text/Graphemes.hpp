#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace tavix::text {

// The byte offsets of the extended grapheme cluster boundaries of well-formed
// UTF-8 text, in order: 0 first and text.size() last (a single 0 when empty).
// Cluster i is the bytes [b[i], b[i+1]), so the text has b.size() - 1 characters.
std::vector<std::size_t> graphemeBoundaries(std::string_view text);

}  // namespace tavix::text
