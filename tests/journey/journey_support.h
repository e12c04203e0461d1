#pragma once

#include <pathweave/journey.h>

#include <cstddef>
#include <initializer_list>
#include <new>
#include <string>

namespace pwtest {

/// Where `position` stands in `elements`: its index, -1 for none (end()), and -2 for a position
/// into some other vector, so that a failure tells which of the three went wrong.
template <typename Vector, typename Position>
std::ptrdiff_t indexIn(const Vector& elements, const Position& position) {
    const auto size = static_cast<std::ptrdiff_t>(elements.size());
    for (std::ptrdiff_t index = 0; index < size; ++index) {
        if (position == elements.begin() + index) {
            return index;
        }
    }
    return position == elements.end() ? -1 : -2;
}

/// A journey without cues whose link nodes have these ids, in order, at distance 0 with no box.
inline pw::CJourney journeyWithNodes(const std::string& id, std::initializer_list<const char*> nodeIds) {
    pw::CJourney journey(id, pw::CCueSubset(), nullptr, nullptr, nullptr);
    for (const char* nodeId : nodeIds) {
        journey.insert(nodeId, pw::CPoint{}, 0.0, pw::CCueSubset(), nullptr, pw::CBounds{});
    }
    return journey;
}

/// While one lives, every allocation through the global operator new of this test program fails.
class FailingAllocations {
public:
    FailingAllocations();
    ~FailingAllocations();

    FailingAllocations(const FailingAllocations&) = delete;
    FailingAllocations& operator=(const FailingAllocations&) = delete;
};

/// Whether this program's allocations can be made to fail at all: not under valgrind, which
/// replaces the allocation functions of the program with its own.
inline bool allocationsCanFail() {
    try {
        const FailingAllocations failing;
        ::operator delete(::operator new(1));
    } catch (const std::bad_alloc&) {
        return true;
    }
    return false;
}

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
