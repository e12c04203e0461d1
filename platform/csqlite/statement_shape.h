#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace csqlite {

/// A statement text with its single-quoted literals taken out as parameters: the shape is the same
/// for every id a reader looks up, so one prepared statement serves them all.
struct StatementShape {
    /// The text with every literal replaced by "?".
    std::string text;
    /// The literals' values, quotes removed and doubled quotes made single, in order.
    std::vector<std::string> literals;
};

/// The shape of `sql`, or nothing when binding its literals might not give exactly what preparing
/// the text gives: a NUL byte, a parameter marker, quoted identifiers, comments, an unterminated
/// literal, a literal outside the WHERE clause, or anything after WHERE but words, "=", literals
/// and a closing ";". A text without literals is its own shape.
std::optional<StatementShape> shapeOf(const std::string& sql);

/// The same shape written into buffers that the caller keeps from one statement to the next, so
/// that shaping allocates nothing once they have grown: the literals' values follow one another in
/// `literalBytes`, and `literalEnds` says where each one ends.
struct ShapeBuffers {
    std::string text;
    std::string literalBytes;
    std::vector<std::size_t> literalEnds;
};

/// Fills `into` with the shape of `sql` and returns true, or returns false where `shapeOf` gives
/// nothing (`into` is then unspecified).
bool shapeInto(const std::string& sql, ShapeBuffers& into);

} // namespace csqlite
