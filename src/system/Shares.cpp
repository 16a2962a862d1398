#include "system/Shares.hpp"

#include <algorithm>
#include <system_error>
#include <thread>
#include <vector>

namespace tavix::Shares {

std::size_t count(std::size_t items, std::size_t minimum, std::size_t most) {
    if (most == 0) most = std::max(1u, std::thread::hardware_concurrency());
    return std::clamp<std::size_t>(items / std::max<std::size_t>(minimum, 1), 1, most);
}

void forEach(
    std::size_t items, std::size_t shares,
    const std::function<void(std::size_t share, std::size_t begin, std::size_t end)>& work) {
    const auto bound = [&](std::size_t share) { return items * share / shares; };
    std::size_t started = 1;
    std::vector<std::jthread> others;
    try {
        others.reserve(shares - 1);
        for (; started < shares; ++started) {
            others.emplace_back(
                [&, share = started] { work(share, bound(share), bound(share + 1)); });
        }
    } catch (const std::system_error&) {
        // No more threads to be had: this one takes the shares left.
    }
    work(0, 0, bound(1));
    for (std::size_t share = started; share < shares; ++share) {
        work(share, bound(share), bound(share + 1));
    }
}

}  // namespace tavix::Shares
