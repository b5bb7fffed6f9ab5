#pragma once
// Memory for the bulk arrays of a set: channel blocks and whole-file byte
// buffers. Loading fills tens of megabytes of fresh memory, and on virtual
// machines the first touch of every 4 KB page is expensive enough to cost
// more than reading and decoding the data. Bulk memory is therefore backed
// by 2 MB pages where the kernel allows it: blocks are carved from aligned
// chunks, buffers of a megabyte or more get their own aligned mapping.
// Elements are default-initialised, so a block the caller overwrites in
// full is never zero-filled first.
//
// A buffer with its own mapping can also lend its bytes: borrow() makes a
// vector whose memory is a stretch of the buffer itself, so a decoder
// hands out arrays without copying them. The mapping lives until the
// buffer and every vector lent from it are gone.
#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <utility>
#include <vector>

namespace qm {

namespace bulk {
// `bytes` of uninitialised memory aligned to 64 bytes; throws std::bad_alloc.
void* allocate(std::size_t bytes);
// Returns memory from allocate(); `bytes` is the size it was asked for.
void release(void* p, std::size_t bytes) noexcept;
// Makes the next allocate() on this thread return `at` itself when
// [at, at + bytes) lies inside a buffer with its own mapping (not at its
// start); false, with nothing changed, otherwise.
bool lendNext(const void* at, std::size_t bytes);
} // namespace bulk

template <class T>
struct BulkAllocator {
    using value_type = T;

    BulkAllocator() = default;
    template <class U>
    BulkAllocator(const BulkAllocator<U>&) noexcept
    {
    }

    T* allocate(std::size_t n)
    {
        if (n > std::size_t(-1) / 2 / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T*>(bulk::allocate(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { bulk::release(p, n * sizeof(T)); }

    // resize() and the size constructor leave the elements as they are;
    // assign(n, value) and the value constructor still fill.
    template <class U>
    void construct(U* p) noexcept
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }

    friend bool operator==(const BulkAllocator&, const BulkAllocator&) noexcept { return true; }
};

// A whole file or decoded image held in bulk memory.
using BulkBytes = std::vector<uint8_t, BulkAllocator<uint8_t>>;

// A vector of n elements over the bytes at `at`, as they are, lent from
// the bulk buffer that holds them; nullopt when they cannot be lent (then
// the caller copies). The buffer's bytes must not change afterwards.
template <class T>
std::optional<std::vector<T, BulkAllocator<T>>> borrow(const void* at, std::size_t n)
{
    if (n == 0 || reinterpret_cast<uintptr_t>(at) % alignof(T) != 0 || !bulk::lendNext(at, n * sizeof(T)))
        return std::nullopt;
    std::vector<T, BulkAllocator<T>> v;
    v.resize(n); // one allocation of exactly n elements, left as they are
    if (v.data() != at)
        return std::nullopt;
    return v;
}

} // namespace qm
