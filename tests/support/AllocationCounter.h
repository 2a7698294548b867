#pragma once

#include <cstddef>

/** Counts the heap allocations (operator new, and malloc, calloc and realloc) the current thread makes while
    a counter exists. The test program replaces them to do so.
*/
class AllocationCounter
{
public:
    AllocationCounter() noexcept;
    ~AllocationCounter() noexcept;

    /** Allocations since this counter was made. */
    size_t count() const noexcept;

    /** False in sanitizer builds, whose runtimes own operator new: nothing is counted there. */
    static bool isAvailable() noexcept;

    AllocationCounter (const AllocationCounter&) = delete;
    AllocationCounter& operator= (const AllocationCounter&) = delete;

private:
    size_t start;
    bool wasCounting;
};
