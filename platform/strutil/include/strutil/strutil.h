#pragma once

#include <string>
#include <vector>

/// A copy of `text` with the ASCII letters a to z made A to Z; every other byte unchanged, no locale.
std::string toupper(const std::string& text);

/// The pieces of `text` between occurrences of `separator`, in order: no trimming, no quote
/// handling, empty pieces kept ("a,,b," gives "a", "", "b", ""). A text without the separator,
/// or an empty separator, gives the whole text as one piece.
std::vector<std::string> CSVsplit(const std::string& text, const std::string& separator);
