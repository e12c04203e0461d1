#include "json.h"

#include "tool.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ostream>

namespace pwtool {

namespace {

// The length of the valid UTF-8 sequence at `text[at]`, or 0 when the bytes there are not one.
std::size_t utf8SequenceLength(const std::string& text, std::size_t at) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > text.size() || byte(at + 1) < low || byte(at + 1) > high) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) {
            return 0;
        }
    }
    return length;
}

void writeString(std::ostream& out, const std::string& text) {
    out << '"';
    for (std::size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        char escape[8];
        if (byte == '"' || byte == '\\') {
            out << '\\' << text[at++];
        } else if (byte == '\n') {
            out << "\\n";
            ++at;
        } else if (byte == '\t') {
            out << "\\t";
            ++at;
        } else if (byte == '\r') {
            out << "\\r";
            ++at;
        } else if (byte == '\b') {
            out << "\\b";
            ++at;
        } else if (byte == '\f') {
            out << "\\f";
            ++at;
        } else if (byte < 0x20) {
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out << escape;
            ++at;
        } else if (byte < 0x80) {
            out << text[at++];
        } else if (const std::size_t length = utf8SequenceLength(text, at)) {
            out.write(text.data() + at, static_cast<std::streamsize>(length));
            at += length;
        } else {
            // A byte of no valid sequence stands for the code point of the same value.
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out << escape;
            ++at;
        }
    }
    out << '"';
}

void write(std::ostream& out, const JsonValue& value, int indent, int depth) {
    const auto newline = [&out, indent](int level) {
        if (indent > 0) {
            out << '\n' << std::string(static_cast<std::size_t>(indent * level), ' ');
        }
    };
    switch (value.type()) {
    case JsonValue::value_t::object: {
        if (value.empty()) {
            out << "{}";
            return;
        }
        out << '{';
        const char* separator = "";
        for (const auto& item : value.items()) {
            out << separator;
            newline(depth + 1);
            writeString(out, item.key());
            out << (indent > 0 ? ": " : ":");
            write(out, item.value(), indent, depth + 1);
            separator = ",";
        }
        newline(depth);
        out << '}';
        return;
    }
    case JsonValue::value_t::array: {
        if (value.empty()) {
            out << "[]";
            return;
        }
        out << '[';
        const char* separator = "";
        for (const JsonValue& element : value) {
            out << separator;
            newline(depth + 1);
            write(out, element, indent, depth + 1);
            separator = ",";
        }
        newline(depth);
        out << ']';
        return;
    }
    case JsonValue::value_t::string:
        writeString(out, value.get_ref<const std::string&>());
        return;
    case JsonValue::value_t::number_float:
        out << formatNumber(value.get<double>());
        return;
    default:
        // null, booleans and integers have one form only.
        out << value.dump();
        return;
    }
}

} // namespace

std::string formatNumber(double value) {
    char digits[32];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    return std::string(digits, result.ptr);
}

JsonValue jsonNumber(double value) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value > 0 ? "Infinity" : "-Infinity";
    }
    return value;
}

void writeJson(std::ostream& out, const JsonValue& value, int indent) {
    write(out, value, indent, 0);
    out << '\n';
}

} // namespace pwtool
