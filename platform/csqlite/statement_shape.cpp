#include "statement_shape.h"

namespace csqlite {

namespace {

// Character classes of the C locale, looked up without a call per character.
enum Class : unsigned char { Other, Word, Space, Refused };

struct Classes {
    Class of[256];

    constexpr Classes() : of() {
        for (int ch = 0; ch < 256; ++ch) {
            of[ch] = (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
                             ch == '_' || ch == '.' || ch >= 0x80
                         ? Word
                     : ch == ' ' || (ch >= '\t' && ch <= '\r') ? Space
                     : ch == '\0' || ch == '"' || ch == '`' || ch == '[' || ch == '?' || ch == ':' ||
                             ch == '@' || ch == '$'
                         ? Refused
                         : Other;
        }
    }
};

constexpr Classes classes;

Class classOf(char ch) { return classes.of[static_cast<unsigned char>(ch)]; }

bool isWhere(const char* word) {
    return (word[0] | 0x20) == 'w' && (word[1] | 0x20) == 'h' && (word[2] | 0x20) == 'e' &&
           (word[3] | 0x20) == 'r' && (word[4] | 0x20) == 'e';
}

} // namespace

bool shapeInto(const std::string& sql, ShapeBuffers& into) {
    into.text.clear();
    into.literalBytes.clear();
    into.literalEnds.clear();
    const char* const text = sql.data();
    const std::size_t size = sql.size();
    bool afterWhere = false;
    // Whether what follows WHERE is only words, "=", literals and a closing ";".
    bool plainCondition = true;
    bool closed = false;
    // The shape is the text with each literal replaced: what lies between literals is copied whole.
    std::size_t copied = 0;
    for (std::size_t at = 0; at < size;) {
        const char ch = text[at];
        const Class kind = classOf(ch);
        if (kind == Refused || (ch == '-' && at + 1 < size && text[at + 1] == '-') ||
            (ch == '/' && at + 1 < size && text[at + 1] == '*')) {
            return false;
        }
        if (closed && kind != Space) {
            plainCondition = false;
        }
        if (kind == Word) {
            const std::size_t start = at;
            while (at < size && classOf(text[at]) == Word) {
                ++at;
            }
            afterWhere = afterWhere || (at - start == 5 && isWhere(text + start));
            continue;
        }
        if (ch == '\'') {
            if (!afterWhere) {
                return false;
            }
            into.text.append(text + copied, at - copied);
            ++at;
            for (;;) {
                const std::size_t start = at;
                while (at < size && text[at] != '\'' && text[at] != '\0') {
                    ++at;
                }
                into.literalBytes.append(text + start, at - start);
                if (at >= size || text[at] == '\0') {
                    return false;
                }
                // A doubled quote stands for one quote inside the literal.
                if (at + 1 < size && text[at + 1] == '\'') {
                    into.literalBytes += '\'';
                    at += 2;
                    continue;
                }
                break;
            }
            ++at;
            copied = at;
            into.text += '?';
            into.literalEnds.push_back(into.literalBytes.size());
            continue;
        }
        if (afterWhere && ch == ';') {
            closed = true;
        } else if (afterWhere && ch != '=' && kind != Space) {
            plainCondition = false;
        }
        ++at;
    }
    if (!into.literalEnds.empty() && !plainCondition) {
        return false;
    }
    into.text.append(text + copied, size - copied);
    return true;
}

} // namespace csqlite
