#pragma once

#include <cstddef>
#include <functional>

// A range of items cut into consecutive shares, each worked on by a thread of
// its own, for work whose items don't depend on one another.
namespace tavix::Shares {

// How many shares `items` items make: one per `minimum` items, at least one,
// and at most `most` (one per core when 0).
std::size_t count(std::size_t items, std::size_t minimum, std::size_t most = 0);

// Calls work(share, begin, end) for `shares` (at least one) consecutive parts
// of [0, items), alike in size: share 0 on this thread, each other one on a
// thread of its own; returns when all have finished. A share for which no
// thread can be started runs here, after share 0.
void forEach(
    std::size_t items, std::size_t shares,
    const std::function<void(std::size_t share, std::size_t begin, std::size_t end)>& work);

}  // namespace tavix::Shares
