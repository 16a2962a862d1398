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

#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t hugePage = std::size_t{2} << 20;
constexpr std::size_t largeBlock = hugePage;
constexpr std::size_t pageSize = 4096;

// Before each large block, at the start of its mapping (on a huge-page
// boundary): what marks it as ours and how long its mapping is. The mark is
// mixed with the header's own address, so bytes of a malloc block that happen to
// sit on a boundary (a file's name, say) can't pass for it: they would have to
// predict where the heap was placed.
struct Header {
    std::uint64_t mark;
    std::size_t length;
};
constexpr std::size_t headerSize = 64;  // keeps the block aligned as new must
constexpr std::uint64_t ourMark = 0x7461766978424c4bull;

std::uint64_t markAt(std::uintptr_t header) {
    return ourMark ^ static_cast<std::uint64_t>(header);
}

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
    madvise(reinterpret_cast<void*>(at), length, MADV_HUGEPAGE);
    auto* header = reinterpret_cast<Header*>(at);
    header->mark = markAt(at);
    header->length = length;
    return reinterpret_cast<void*>(at + headerSize);
}

// Whether `block` is one of ours: it sits just past a huge-page boundary with
// our mark there (read from the block's own page, so never out of bounds).
bool isLarge(void* block) {
    const auto at = reinterpret_cast<std::uintptr_t>(block);
    if ((at & (hugePage - 1)) != headerSize) return false;
    return reinterpret_cast<const Header*>(at - headerSize)->mark == markAt(at - headerSize);
}

void unmapLarge(void* block) {
    auto* header = reinterpret_cast<Header*>(reinterpret_cast<std::uintptr_t>(block) - headerSize);
    header->mark = 0;
    munmap(header, header->length);
}

void* allocate(std::size_t size) {
    for (;;) {
        void* block = size >= largeBlock ? mapLarge(size) : std::malloc(size == 0 ? 1 : size);
        if (block) return block;
        const std::new_handler handler = std::get_new_handler();
        if (!handler) throw std::bad_alloc();
        handler();
    }
}

void release(void* block) noexcept {
    if (!block) return;
    if (isLarge(block)) {
        unmapLarge(block);
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
