// Replaces the global allocation functions of the test program that links this file. Every form is
// replaced, so that memory is always released by the same family of functions that obtained it
// (sanitizers check that). The test programs are single-threaded, so the counters are plain.

#include "support/counting_allocator.h"

#include <cstdlib>

namespace {

// Zero-initialised before any constructor runs, so allocations made during static initialisation
// are counted too.
std::size_t made = 0;
std::size_t released = 0;
bool allFail = false;
// The value of `made` at which the armed allocation fails; 0 when none is armed.
std::size_t failAt = 0;
bool armedFailed = false;

void* allocate(std::size_t size) {
    if (allFail) {
        throw std::bad_alloc();
    }
    if (failAt != 0 && made + 1 == failAt) {
        failAt = 0;
        armedFailed = true;
        throw std::bad_alloc();
    }
    void* memory = std::malloc(size == 0 ? 1 : size);
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    ++made;
    return memory;
}

void release(void* memory) noexcept {
    if (memory != nullptr) {
        ++released;
        std::free(memory);
    }
}

} // namespace

namespace pwtest {

std::size_t allocationCount() { return made; }

std::size_t liveAllocations() { return made - released; }

FailingAllocations::FailingAllocations() { allFail = true; }

FailingAllocations::~FailingAllocations() { allFail = false; }

FailNthAllocation::FailNthAllocation(std::size_t nth) {
    armedFailed = false;
    failAt = made + nth;
}

FailNthAllocation::~FailNthAllocation() { failAt = 0; }

bool FailNthAllocation::failed() const { return armedFailed; }

bool allocationsCanFail() {
    try {
        const FailingAllocations failing;
        ::operator delete(::operator new(1));
    } catch (const std::bad_alloc&) {
        return true;
    }
    return false;
}

} // namespace pwtest

void* operator new(std::size_t size) { return allocate(size); }

void* operator new[](std::size_t size) { return allocate(size); }

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return ::operator new(size, tag);
}

void operator delete(void* memory) noexcept { release(memory); }
void operator delete[](void* memory) noexcept { release(memory); }
void operator delete(void* memory, std::size_t) noexcept { release(memory); }
void operator delete[](void* memory, std::size_t) noexcept { release(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { release(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { release(memory); }
