#pragma once

#include "support/counting_allocator.h"

#include <pathweave/journey.h>

#include <cstddef>
#include <initializer_list>
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

} // namespace pwtest
