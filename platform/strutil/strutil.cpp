#include "strutil/strutil.h"

std::string toupper(const std::string& text) {
    std::string upper(text);
    for (char& ch : upper) {
        if (ch >= 'a' && ch <= 'z') {
            ch = static_cast<char>(ch - 'a' + 'A');
        }
    }
    return upper;
}

std::vector<std::string> CSVsplit(const std::string& text, const std::string& separator) {
    std::vector<std::string> pieces;
    if (separator.empty()) {
        pieces.push_back(text);
        return pieces;
    }
    // Counted first, so that the list is allocated once.
    std::size_t count = 1;
    for (auto end = text.find(separator); end != std::string::npos;
         end = text.find(separator, end + separator.size())) {
        ++count;
    }
    pieces.reserve(count);
    std::string::size_type start = 0;
    for (auto end = text.find(separator); end != std::string::npos; end = text.find(separator, start)) {
        pieces.emplace_back(text, start, end - start);
        start = end + separator.size();
    }
    pieces.emplace_back(text, start);
    return pieces;
}
