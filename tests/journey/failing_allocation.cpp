// Replaces the global allocation functions of the journey test program, so that a test can make
// the library's allocations fail. Every form is replaced, so that memory is always released by the
// same family of functions that obtained it (sanitizers check that).

#include "journey_support.h"

#include <cstdlib>
#include <new>

namespace {
bool allocationsFail = false;
} // namespace

namespace pwtest {

FailingAllocations::FailingAllocations() { allocationsFail = true; }

FailingAllocations::~FailingAllocations() { allocationsFail = false; }

} // namespace pwtest

void* operator new(std::size_t size) {
    if (!allocationsFail) {
        if (void* memory = std::malloc(size == 0 ? 1 : size)) {
            return memory;
        }
    }
    throw std::bad_alloc();
}

void* operator new[](std::size_t size) { return ::operator new(size); }

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return ::operator new(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
    return ::operator new(size, tag);
}

void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
