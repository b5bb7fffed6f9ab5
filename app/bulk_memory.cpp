#include "app/bulk_memory.h"

#include <sys/mman.h>

#include <mutex>

#if defined(__SANITIZE_ADDRESS__)
#define QM_BULK_FROM_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QM_BULK_FROM_HEAP 1
#endif
#endif

namespace qm::bulk {

#ifdef QM_BULK_FROM_HEAP
// Under AddressSanitizer every array comes from the heap, where overruns
// are caught.
void* allocate(std::size_t bytes) { return ::operator new(bytes); }
void release(void* p, std::size_t) noexcept { ::operator delete(p); }
#else
namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;
constexpr std::size_t kChunkBytes = 4 * kHugePage;
constexpr std::size_t kAlign = 64;
// Below a page the heap does as well; above a megabyte a block gets its own
// mapping, so a chunk never wastes more than that at its end.
constexpr std::size_t kSmallBytes = 4096;
constexpr std::size_t kCarveMax = std::size_t(1) << 20;

constexpr std::size_t roundUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }

// `bytes` (a multiple of 2 MB) of fresh memory aligned to `align`, marked
// for 2 MB pages.
void* mapAligned(std::size_t bytes, std::size_t align)
{
    const std::size_t span = bytes + align;
    void* raw = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        throw std::bad_alloc();
    const auto begin = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t at = roundUp(begin, align);
    if (at > begin)
        ::munmap(raw, at - begin);
    if (const std::size_t tail = begin + span - (at + bytes))
        ::munmap(reinterpret_cast<void*>(at + bytes), tail);
    ::madvise(reinterpret_cast<void*>(at), bytes, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(at);
}

// A chunk starts with its bookkeeping; blocks are carved after it in order
// and the chunk is reused or unmapped once none of them is alive.
struct Chunk {
    std::size_t used;
    std::size_t live;
};
constexpr std::size_t kChunkHeader = roundUp(sizeof(Chunk), kAlign);

Chunk* newChunk()
{
    auto* c = static_cast<Chunk*>(mapAligned(kChunkBytes, kChunkBytes));
    c->used = kChunkHeader;
    c->live = 0;
    return c;
}

// Blocks are carved from the current chunk; one empty chunk is kept back so
// a set loaded after another is closed finds its first pages ready.
struct Pool {
    std::mutex mutex;
    Chunk* current = nullptr;
    Chunk* spare = nullptr;
};

Pool& pool()
{
    static Pool* p = new Pool; // blocks may be released during static destruction
    return *p;
}

void* carve(std::size_t bytes)
{
    const std::size_t need = roundUp(bytes, kAlign);
    Pool& p = pool();
    std::lock_guard lock(p.mutex);
    if (!p.current || p.current->used + need > kChunkBytes) {
        // A full chunk is left to its blocks: the last one to go unmaps it.
        p.current = p.spare ? std::exchange(p.spare, nullptr) : newChunk();
    }
    Chunk* c = p.current;
    void* block = reinterpret_cast<char*>(c) + c->used;
    c->used += need;
    ++c->live;
    return block;
}

void uncarve(void* block)
{
    auto* c = reinterpret_cast<Chunk*>(reinterpret_cast<uintptr_t>(block) & ~uintptr_t(kChunkBytes - 1));
    Pool& p = pool();
    std::lock_guard lock(p.mutex);
    if (--c->live != 0)
        return;
    if (c == p.current || !p.spare) {
        c->used = kChunkHeader;
        if (c != p.current)
            p.spare = c;
    } else {
        ::munmap(c, kChunkBytes);
    }
}

} // namespace

void* allocate(std::size_t bytes)
{
    if (bytes < kSmallBytes)
        return ::operator new(bytes);
    if (bytes <= kCarveMax)
        return carve(bytes);
    return mapAligned(roundUp(bytes, kHugePage), kHugePage);
}

void release(void* p, std::size_t bytes) noexcept
{
    if (!p)
        return;
    if (bytes < kSmallBytes)
        ::operator delete(p);
    else if (bytes <= kCarveMax)
        uncarve(p);
    else
        ::munmap(p, roundUp(bytes, kHugePage));
}
#endif

} // namespace qm::bulk
