#include "statement_shape.h"

#include <cctype>

namespace csqlite {

namespace {

bool isWordCharacter(char ch) {
    const auto byte = static_cast<unsigned char>(ch);
    return std::isalnum(byte) != 0 || ch == '_' || ch == '.' || byte >= 0x80;
}

bool isWhere(const std::string& word) {
    return word.size() == 5 && std::toupper(static_cast<unsigned char>(word[0])) == 'W' &&
           std::toupper(static_cast<unsigned char>(word[1])) == 'H' &&
           std::toupper(static_cast<unsigned char>(word[2])) == 'E' &&
           std::toupper(static_cast<unsigned char>(word[3])) == 'R' &&
           std::toupper(static_cast<unsigned char>(word[4])) == 'E';
}

} // namespace

std::optional<StatementShape> shapeOf(const std::string& sql) {
    StatementShape shape;
    shape.text.reserve(sql.size());
    bool afterWhere = false;
    // Whether what follows WHERE is only words, "=", literals and a closing ";".
    bool plainCondition = true;
    bool closed = false;
    for (std::string::size_type at = 0; at < sql.size();) {
        const char ch = sql[at];
        if (ch == '\0' || ch == '"' || ch == '`' || ch == '[' || ch == '?' || ch == ':' || ch == '@' ||
            ch == '$' || (ch == '-' && at + 1 < sql.size() && sql[at + 1] == '-') ||
            (ch == '/' && at + 1 < sql.size() && sql[at + 1] == '*')) {
            return std::nullopt;
        }
        if (closed && std::isspace(static_cast<unsigned char>(ch)) == 0) {
            plainCondition = false;
        }
        if (ch == '\'') {
            if (!afterWhere) {
                return std::nullopt;
            }
            std::string value;
            ++at;
            for (;; ++at) {
                if (at >= sql.size() || sql[at] == '\0') {
                    return std::nullopt;
                }
                if (sql[at] == '\'') {
                    if (at + 1 < sql.size() && sql[at + 1] == '\'') {
                        ++at;
                    } else {
                        break;
                    }
                }
                value += sql[at];
            }
            ++at;
            shape.text += '?';
            shape.literals.push_back(std::move(value));
            continue;
        }
        if (isWordCharacter(ch)) {
            std::string::size_type end = at;
            while (end < sql.size() && isWordCharacter(sql[end])) {
                ++end;
            }
            const std::string word = sql.substr(at, end - at);
            afterWhere = afterWhere || isWhere(word);
            shape.text += word;
            at = end;
            continue;
        }
        if (afterWhere && ch == ';') {
            closed = true;
        } else if (afterWhere && ch != '=' && std::isspace(static_cast<unsigned char>(ch)) == 0) {
            plainCondition = false;
        }
        shape.text += ch;
        ++at;
    }
    if (!shape.literals.empty() && !plainCondition) {
        return std::nullopt;
    }
    return shape;
}

} // namespace csqlite
