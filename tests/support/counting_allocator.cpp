// Replaces every form of the global allocation functions, so that memory is always released by the
// family that obtained it (sanitizers check that). The test programs are single-threaded.

#include "support/counting_allocator.h"

#include <cstdlib>
#include <new>

namespace {

// Zero before any constructor runs, so that allocations of static initialisation count too.
std::size_t live = 0;
std::size_t made = 0;
// How many allocations remain before the armed one; 0 when none is armed.
std::size_t untilFailure = 0;
bool armedFailed = false;

void* allocate(std::size_t size) {
    if (untilFailure != 0 && --untilFailure == 0) {
        armedFailed = true;
        throw std::bad_alloc();
    }
    void* memory = std::malloc(size == 0 ? 1 : size);
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    ++live;
    ++made;
    return memory;
}

void release(void* memory) noexcept {
    live -= memory != nullptr ? 1 : 0;
    std::free(memory);
}

} // namespace

namespace pwtest {

std::size_t liveAllocations() { return live; }

std::size_t allocations() { return made; }

FailNthAllocation::FailNthAllocation(std::size_t nth) {
    armedFailed = false;
    untilFailure = nth;
}

FailNthAllocation::~FailNthAllocation() { untilFailure = 0; }

bool FailNthAllocation::failed() const { return armedFailed; }

bool allocationsCanFail() {
    const FailNthAllocation failing(1);
    try {
        ::operator delete(::operator new(1));
    } catch (const std::bad_alloc&) {
    }
    return failing.failed();
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
