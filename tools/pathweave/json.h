#pragma once

// JSON output of the tool: documents are built as nlohmann::ordered_json (keys keep their order)
// and written by writeJson, which writes the texts of a network database exactly.

#include <nlohmann/json.hpp>

#include <iosfwd>
#include <string>

namespace pwtool {

using JsonValue = nlohmann::ordered_json;

/// A number as JSON: the number itself, or the string "NaN", "Infinity" or "-Infinity".
JsonValue jsonNumber(double value);

/// Writes `value`: numbers in their shortest form that reads back to the same double; strings
/// with `"`, `\` and control characters escaped, valid UTF-8 as it is and every byte of an
/// invalid UTF-8 sequence as \u00XX. With `indent` 0 the document is one line.
void writeJson(std::ostream& out, const JsonValue& value, int indent = 2);

} // namespace pwtool
