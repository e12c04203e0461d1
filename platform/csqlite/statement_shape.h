#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace csqlite {

/// The shape of a statement text: the text with its single-quoted literals taken out as
/// parameters, so that one prepared statement serves every id a reader looks up. It is written into
/// buffers that the caller keeps from one statement to the next, so that shaping allocates nothing
/// once they have grown: `text` has every literal replaced by "?", the literals' values (quotes
/// removed, doubled quotes made single) follow one another in `literalBytes`, and `literalEnds` says
/// where each one ends.
struct ShapeBuffers {
    std::string text;
    std::string literalBytes;
    std::vector<std::size_t> literalEnds;
};

/// Fills `into` with the shape of `sql` and returns true, or returns false when binding its literals
/// might not give exactly what preparing the text gives (`into` is then unspecified): a NUL byte, a
/// parameter marker, quoted identifiers, comments, an unterminated literal, a literal outside the
/// WHERE clause, or anything after WHERE but words, "=", literals and a closing ";". A text without
/// literals is its own shape.
bool shapeInto(const std::string& sql, ShapeBuffers& into);

} // namespace csqlite
