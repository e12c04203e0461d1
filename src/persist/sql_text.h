#pragma once

#include <string>

namespace pw::sql {

/// Appends `text` for a place between single quotes: each single quote doubled, so that no
/// text can end the quoted string early. A text without a quote is appended unchanged.
inline void appendQuoted(std::string& statement, const std::string& text) {
    for (const char ch : text) {
        statement += ch;
        if (ch == '\'') {
            statement += '\'';
        }
    }
}

} // namespace pw::sql
