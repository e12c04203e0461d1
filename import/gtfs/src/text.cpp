#include "text.h"

#include <charconv>
#include <cmath>

namespace pw::gtfs {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::optional<double> toNumber(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<uint32_t> toCount(std::string_view text) {
    text = trimmed(text);
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<uint32_t> toSeconds(std::string_view text) {
    text = trimmed(text);
    const auto firstColon = text.find(':');
    const auto secondColon = text.find(':', firstColon + 1);
    if (firstColon == std::string_view::npos || secondColon != firstColon + 3 ||
        text.size() != secondColon + 3) {
        return std::nullopt;
    }
    const auto hours = toCount(text.substr(0, firstColon));
    const auto minutes = toCount(text.substr(firstColon + 1, 2));
    const auto seconds = toCount(text.substr(secondColon + 1));
    if (!hours || !minutes || !seconds || *minutes > 59 || *seconds > 59 || *hours > 1000) {
        return std::nullopt;
    }
    return *hours * 3600 + *minutes * 60 + *seconds;
}

std::optional<int64_t> toDay(std::string_view text) {
    text = trimmed(text);
    const auto number = toCount(text);
    if (text.size() != 8 || !number) {
        return std::nullopt;
    }
    const int64_t year = *number / 10000;
    const int64_t month = *number / 100 % 100;
    const int64_t day = *number % 100;
    static const int lengths[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month < 1 || month > 12 || day < 1 || day > lengths[month - 1] ||
        (month == 2 && day == 29 && !leap)) {
        return std::nullopt;
    }
    // Days from the civil date (Howard Hinnant's algorithm).
    const int64_t y = month <= 2 ? year - 1 : year;
    const int64_t era = y / 400;
    const int64_t yearOfEra = y - era * 400;
    const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

int weekday(int64_t day) {
    // 1970-01-01 was a Thursday.
    return static_cast<int>(((day % 7) + 7 + 3) % 7);
}

std::string shortest(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

} // namespace pw::gtfs
