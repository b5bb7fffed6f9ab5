#include "app/bulk_memory.h"

#include <sys/mman.h>

#include <atomic>
#include <map>
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
bool lendNext(const void*, std::size_t) { return false; }
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

// A mapping of its own (a megabyte or more), held by its owner and by every
// block lent from it.
struct Region {
    std::size_t bytes;
    std::size_t holders;
};

// Up to this many empty chunks stay mapped: the pages of a fresh mapping
// are each cleared by the kernel on first touch, which costs more than
// filling them, so a set loaded after another was closed reuses its memory.
constexpr std::size_t kKeptChunks = 8;

// Blocks are carved from the current chunk.
struct Pool {
    std::mutex mutex;
    Chunk* current = nullptr;
    std::vector<Chunk*> spares; // empty chunks kept for reuse
    Pool() { spares.reserve(kKeptChunks); } // releases never allocate
    std::map<uintptr_t, Region> regions; // by start address
    // The region released last, kept mapped for the next buffer of about
    // its size, for the same reason as the spare chunks.
    uintptr_t keptStart = 0;
    std::size_t keptBytes = 0;
    // The region holding [at, at + bytes), or nullptr.
    Region* find(const void* at, std::size_t bytes)
    {
        const auto a = reinterpret_cast<uintptr_t>(at);
        auto it = regions.upper_bound(a);
        if (it == regions.begin())
            return nullptr;
        --it;
        return a - it->first <= it->second.bytes && bytes <= it->second.bytes - (a - it->first) ? &it->second
                                                                                             : nullptr;
    }
    void drop(uintptr_t start, Region& r)
    {
        if (--r.holders != 0)
            return;
        if (keptStart)
            ::munmap(reinterpret_cast<void*>(keptStart), keptBytes);
        keptStart = start;
        keptBytes = r.bytes;
        regions.erase(start);
    }
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
        if (p.spares.empty()) {
            p.current = newChunk();
        } else {
            p.current = p.spares.back();
            p.spares.pop_back();
        }
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
    if (c == p.current || p.spares.size() < kKeptChunks) {
        c->used = kChunkHeader;
        if (c != p.current)
            p.spares.push_back(c);
    } else {
        ::munmap(c, kChunkBytes);
    }
}

void* mapRegion(std::size_t bytes)
{
    const std::size_t size = roundUp(bytes, kHugePage);
    Pool& p = pool();
    {
        std::lock_guard lock(p.mutex);
        if (p.keptStart && p.keptBytes >= size && p.keptBytes / 2 <= size) {
            const uintptr_t at = std::exchange(p.keptStart, 0);
            p.regions.emplace(at, Region{p.keptBytes, 1});
            return reinterpret_cast<void*>(at);
        }
    }
    void* at = mapAligned(size, kHugePage);
    std::lock_guard lock(p.mutex);
    p.regions.emplace(reinterpret_cast<uintptr_t>(at), Region{size, 1});
    return at;
}

// Where the next allocate() on this thread is to lend from.
thread_local const void* t_loan = nullptr;
// Blocks lent and not yet released: while there are none, a release needs
// no look-up.
std::atomic<std::size_t> g_lent{0};

// Releases a lent block; false when `block` was not lent.
bool returnLoan(void* block)
{
    if (g_lent.load(std::memory_order_acquire) == 0)
        return false;
    Pool& p = pool();
    std::lock_guard lock(p.mutex);
    const auto a = reinterpret_cast<uintptr_t>(block);
    auto it = p.regions.upper_bound(a);
    if (it == p.regions.begin())
        return false;
    --it;
    if (a - it->first >= it->second.bytes || a == it->first)
        return false; // not inside a region, or its owner's own buffer
    g_lent.fetch_sub(1, std::memory_order_relaxed);
    p.drop(it->first, it->second);
    return true;
}

} // namespace

bool lendNext(const void* at, std::size_t bytes)
{
    Pool& p = pool();
    std::lock_guard lock(p.mutex);
    if (bytes == 0 || at == nullptr || !p.find(at, bytes) || p.regions.count(reinterpret_cast<uintptr_t>(at)))
        return false;
    t_loan = at;
    return true;
}

void* allocate(std::size_t bytes)
{
    if (t_loan) {
        void* block = const_cast<void*>(std::exchange(t_loan, nullptr));
        Pool& p = pool();
        std::lock_guard lock(p.mutex);
        if (Region* r = p.find(block, bytes)) {
            ++r->holders;
            g_lent.fetch_add(1, std::memory_order_release);
            return block;
        }
    }
    if (bytes < kSmallBytes)
        return ::operator new(bytes);
    if (bytes <= kCarveMax)
        return carve(bytes);
    return mapRegion(bytes);
}

void release(void* p, std::size_t bytes) noexcept
{
    if (!p || returnLoan(p))
        return;
    if (bytes < kSmallBytes) {
        ::operator delete(p);
    } else if (bytes <= kCarveMax) {
        uncarve(p);
    } else {
        Pool& pl = pool();
        std::lock_guard lock(pl.mutex);
        const auto it = pl.regions.find(reinterpret_cast<uintptr_t>(p));
        if (it != pl.regions.end())
            pl.drop(it->first, it->second);
    }
}
#endif

} // namespace qm::bulk
