#pragma once

// Reading the texts of feed fields.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pw::gtfs {

/// The text without blanks and tabs at either end.
std::string_view trimmed(std::string_view text);

/// A whole decimal number, blanks around it allowed; nothing when the text is anything else.
std::optional<double> toNumber(std::string_view text);

/// A whole non-negative integer that fits 32 bits, blanks around it allowed.
std::optional<uint32_t> toCount(std::string_view text);

/// A GTFS time "H:MM:SS" (hours may pass 24) in seconds.
std::optional<uint32_t> toSeconds(std::string_view text);

/// A GTFS date "YYYYMMDD" that exists in the calendar, as days since 1970-01-01.
std::optional<int64_t> toDay(std::string_view text);

/// The day of the week of a day since 1970-01-01: 0 for Monday to 6 for Sunday.
int weekday(int64_t day);

/// A number in its shortest text that reads back to the same double.
std::string shortest(double value);

} // namespace pw::gtfs
