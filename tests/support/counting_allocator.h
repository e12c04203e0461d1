#pragma once

// The global allocation functions of a test program that links counting_allocator.cpp: they count
// the allocations not yet released and can make one of them fail, so that a test can prove that an
// allocation failure leaves the library cleanly.

#include <cstddef>

namespace pwtest {

/// How many allocations through the global operator new have not been released yet.
std::size_t liveAllocations();

/// How many allocations through the global operator new there have been.
std::size_t allocations();

/// While one lives, the `nth` allocation through the global operator new from its construction on
/// (1 is the next one) fails with std::bad_alloc.
class FailNthAllocation {
public:
    explicit FailNthAllocation(std::size_t nth);
    ~FailNthAllocation();

    // One armed allocation at a time; a copy would disarm it twice.
    FailNthAllocation(const FailNthAllocation&) = delete;
    FailNthAllocation& operator=(const FailNthAllocation&) = delete;

    /// Whether the armed allocation was reached and failed.
    bool failed() const;
};

/// Whether allocations can be made to fail at all: not under valgrind, which replaces the
/// allocation functions with its own.
bool allocationsCanFail();

} // namespace pwtest
