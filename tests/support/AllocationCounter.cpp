#include "support/AllocationCounter.h"

#include <cstdlib>
#include <new>

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define CARVOLIN_SANITIZER_OWNS_NEW 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define CARVOLIN_SANITIZER_OWNS_NEW 1
#endif

namespace
{
    thread_local bool counting = false;
    thread_local size_t allocations = 0;

    [[maybe_unused]] void* allocate (std::size_t size)
    {
        // Counted once, by the malloc below.
        if (auto* p = std::malloc (size > 0 ? size : 1))
            return p;

        throw std::bad_alloc();
    }
} // namespace

AllocationCounter::AllocationCounter() noexcept
    : start (allocations), wasCounting (counting)
{
    counting = true;
}

AllocationCounter::~AllocationCounter() noexcept
{
    counting = wasCounting;
}

size_t AllocationCounter::count() const noexcept
{
    return allocations - start;
}

#if CARVOLIN_SANITIZER_OWNS_NEW
bool AllocationCounter::isAvailable() noexcept
{
    return false;
}
#else
bool AllocationCounter::isAvailable() noexcept
{
    return true;
}

// C's allocation functions too: JUCE's containers (HeapBlock: Array, MidiBuffer)
// allocate with malloc and realloc, not with operator new.
extern "C"
{
    void* __libc_malloc (std::size_t);
    void* __libc_calloc (std::size_t, std::size_t);
    void* __libc_realloc (void*, std::size_t);

    void* malloc (std::size_t size)
    {
        if (counting)
            ++allocations;
        return __libc_malloc (size);
    }

    void* calloc (std::size_t count, std::size_t size)
    {
        if (counting)
            ++allocations;
        return __libc_calloc (count, size);
    }

    void* realloc (void* p, std::size_t size)
    {
        if (counting)
            ++allocations;
        return __libc_realloc (p, size);
    }
}

void* operator new (std::size_t size) { return allocate (size); }
void* operator new[] (std::size_t size) { return allocate (size); }
void operator delete (void* p) noexcept { std::free (p); }
void operator delete[] (void* p) noexcept { std::free (p); }
void operator delete (void* p, std::size_t) noexcept { std::free (p); }
void operator delete[] (void* p, std::size_t) noexcept { std::free (p); }
#endif
