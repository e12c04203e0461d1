#pragma once

// The global allocation functions of a test program that links the counting allocator
// (counting_allocator.cpp): they count every allocation and can be made to fail, so that a test can
// prove that an allocation failure leaves the library cleanly. Programs that do not link it keep the
// standard allocation functions.

#include <cstddef>
#include <new>

namespace pwtest {

/// How many allocations this program has made through the global operator new so far.
std::size_t allocationCount();

/// How many of them have not been released yet.
std::size_t liveAllocations();

/// While one lives, every allocation through the global operator new fails with std::bad_alloc.
class FailingAllocations {
public:
    FailingAllocations();
    ~FailingAllocations();

    // One failure window at a time; a copy would end it twice.
    FailingAllocations(const FailingAllocations&) = delete;
    FailingAllocations& operator=(const FailingAllocations&) = delete;
};

/// While one lives, the `nth` allocation through the global operator new from its construction on
/// (1 is the next one) fails with std::bad_alloc; every other allocation succeeds.
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

/// Whether this program's allocations can be made to fail at all: not under valgrind, which replaces
/// the allocation functions of the program with its own.
bool allocationsCanFail();

/// Runs `action` while allocations fail; true when it let std::bad_alloc out. Nothing that could
/// allocate (a test assertion included) runs while allocations fail.
template <typename Action> bool failsForLackOfStorage(Action&& action) {
    try {
        const FailingAllocations failing;
        action();
    } catch (const std::bad_alloc&) {
        return true;
    }
    return false;
}

} // namespace pwtest
