// tavix-cli's own operator new and delete: blocks of 2 MiB and more (the arrays
// a long list makes, one entry per file) are mapped apart on huge-page
// boundaries with huge pages asked for, and unmapped when freed; smaller ones
// come from malloc as before.
//
// A fresh 4 KiB page costs this program more than anything else it does for a
// long list, and malloc maps its large blocks in 4 KiB pages. Taking them from
// the heap's reserve instead (which has huge pages) keeps them resident once
// freed, wherever nothing reuses their room: megabytes more at the peak. Mapped
// apart, each is filled 2 MiB per fault and goes back to the system whole.
#include <sys/mman.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>

namespace {

constexpr std::size_t hugePage = std::size_t{2} << 20;
constexpr std::size_t largeBlock = hugePage;
constexpr std::size_t pageSize = 4096;
constexpr std::size_t headerSize = 64;  // keeps the block aligned as new must

// The large blocks mapped now, by address, so that a block is known as ours
// for certain: a malloc block may sit at the same place past a boundary, and
// the bytes before it aren't its own to read. Both constant-initialised, so
// ready before any static constructor allocates. A long list makes a few
// dozen large blocks at most; were the table full, malloc takes the rest.
constexpr std::size_t mostLarge = 1024;
std::mutex largeLock;
std::array<std::uintptr_t, mostLarge> largeBlocks{};

bool remember(std::uintptr_t block) {
    const std::lock_guard lock(largeLock);
    for (std::uintptr_t& slot : largeBlocks) {
        if (slot == 0) {
            slot = block;
            return true;
        }
    }
    return false;
}

// Forgets `block` and says whether it was one of ours.
bool forget(std::uintptr_t block) {
    const std::lock_guard lock(largeLock);
    for (std::uintptr_t& slot : largeBlocks) {
        if (slot == block) {
            slot = 0;
            return true;
        }
    }
    return false;
}

// A block of `size` bytes, 64 bytes past a huge-page boundary; its mapping's
// length is kept in the bytes before it, at the boundary.
void* mapLarge(std::size_t size) {
    if (size > SIZE_MAX - headerSize - hugePage - pageSize) return nullptr;
    const std::size_t length = (size + headerSize + pageSize - 1) & ~(pageSize - 1);
    // A huge page more than needed, so that the block can start on a boundary.
    void* raw = mmap(nullptr, length + hugePage, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return nullptr;
    const auto rawAt = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t at = (rawAt + hugePage - 1) & ~std::uintptr_t{hugePage - 1};
    if (at > rawAt) munmap(raw, at - rawAt);
    const std::uintptr_t end = rawAt + length + hugePage;
    if (end > at + length) munmap(reinterpret_cast<void*>(at + length), end - at - length);
    if (!remember(at + headerSize)) {
        munmap(reinterpret_cast<void*>(at), length);
        return nullptr;
    }
    madvise(reinterpret_cast<void*>(at), length, MADV_HUGEPAGE);
    *reinterpret_cast<std::size_t*>(at) = length;
    return reinterpret_cast<void*>(at + headerSize);
}

void* allocate(std::size_t size) {
    for (;;) {
        void* block = size >= largeBlock ? mapLarge(size) : nullptr;
        if (!block) block = std::malloc(size == 0 ? 1 : size);
        if (block) return block;
        const std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

void release(void* block) noexcept {
    if (!block) return;
    const auto at = reinterpret_cast<std::uintptr_t>(block);
    if ((at & (hugePage - 1)) == headerSize && forget(at)) {
        munmap(reinterpret_cast<void*>(at - headerSize),
               *reinterpret_cast<const std::size_t*>(at - headerSize));
    } else {
        std::free(block);
    }
}

}  // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* block) noexcept { release(block); }
void operator delete[](void* block) noexcept { release(block); }
void operator delete(void* block, std::size_t) noexcept { release(block); }
void operator delete[](void* block, std::size_t) noexcept { release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { release(block); }
