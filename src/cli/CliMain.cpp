#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <vector>

#include "cli/Cli.hpp"

namespace {

// A page fault costs this program more than anything else it does for a long
// list: tens of thousands of 4 KiB pages are touched for the first time. The
// heap is given a reserve of address space at once (nothing is resident until
// used) and huge pages are asked for over it, so that it is filled 2 MiB per
// fault. Blocks of 2 MiB and more never come from it (LargeBlocks maps them
// apart and unmaps them when freed), so a reserve larger than the small blocks
// need costs address space alone.
void reserveHugeHeap(std::size_t reserve) {
    constexpr std::size_t block = 100 * 1024;
    constexpr std::uintptr_t hugePage = std::uintptr_t{2} << 20;
    mallopt(M_TOP_PAD, static_cast<int>(reserve));
    const auto before = reinterpret_cast<std::uintptr_t>(sbrk(0));
    // Blocks below the mapping threshold come from the heap: once the room at
    // its top is used up, it grows by the reserve.
    const std::size_t most = mallinfo2().keepcost / block + 2;
    std::vector<void*> blocks;
    while (reinterpret_cast<std::uintptr_t>(sbrk(0)) == before && blocks.size() < most) {
        void* taken = std::malloc(block);
        if (!taken) break;
        blocks.push_back(taken);
    }
    const auto after = reinterpret_cast<std::uintptr_t>(sbrk(0));
    const std::uintptr_t from = (before + hugePage - 1) & ~(hugePage - 1);
    if (after > from) madvise(reinterpret_cast<void*>(from), after - from, MADV_HUGEPAGE);
    for (void* taken : blocks) std::free(taken);
}

// What the heap holds for a list of `bytes`: its paths, each with a block of
// its own, and the plan's texts come to about twice the list's length; three
// times leaves room for short paths, whose blocks weigh more per byte.
std::size_t heapForList(std::size_t bytes) {
    constexpr std::size_t most = std::size_t{1} << 30;
    return bytes < most / 3 ? bytes * 3 : most;
}

}  // namespace

int main(int argc, char** argv) {
    // One heap for every thread: a long plan is built on several, and a second
    // heap would keep what its thread frees apart from the first's, megabytes
    // more at the peak.
    mallopt(M_ARENA_MAX, 1);
    // Blocks of 128 KiB and more are mapped on their own and go back to the
    // system when freed. Left to itself, the allocator raises that bound to the
    // largest block freed so far (the file list's text, some megabytes), and
    // every large array after it then comes from the heap, whose freed holes
    // stay resident: 3.4 MB of a 100,000-file plan's peak.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    reserveHugeHeap(std::size_t{16} << 20);
    std::ios::sync_with_stdio(false);
    std::error_code error;
    const char* noColor = std::getenv("NO_COLOR");
    tavix::cli::Io io{std::cin,
                      std::cout,
                      std::cerr,
                      isatty(STDOUT_FILENO) == 1,
                      noColor != nullptr && *noColor != '\0',
                      std::filesystem::current_path(error),
                      {},
                      isatty(STDIN_FILENO) == 1};
    // A long list's heap is reserved once its length is known, before its
    // paths are read in.
    io.expectList = [](std::size_t bytes) {
        const std::size_t reserve = heapForList(bytes);
        if (reserve > mallinfo2().keepcost) reserveHugeHeap(reserve);
    };
    const int status = tavix::cli::run(std::vector<std::string>(argv + 1, argv + argc), io);
    std::cout.flush();
    return status;
}
