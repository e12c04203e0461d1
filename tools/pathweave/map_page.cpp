#include "map_page.h"

#include <ostream>
#include <sstream>
#include <stdexcept>

namespace pwtool {

namespace {

std::string escapedHtml(const std::string& text) {
    std::string result;
    for (const char ch : text) {
        switch (ch) {
        case '&':
            result += "&amp;";
            break;
        case '<':
            result += "&lt;";
            break;
        case '>':
            result += "&gt;";
            break;
        case '"':
            result += "&quot;";
            break;
        default:
            result += ch;
        }
    }
    return result;
}

// JSON inside a <script> element: '<' occurs only within strings, where \u003c reads the same
// and no text can close the element or open a comment.
std::string scriptJson(const JsonValue& data) {
    std::ostringstream text;
    writeJson(text, data, 0);
    std::string json = text.str();
    std::string result;
    result.reserve(json.size());
    for (const char ch : json) {
        if (ch == '<') {
            result += "\\u003c";
        } else {
            result += ch;
        }
    }
    return result;
}

} // namespace

// The template holds markers <!--pw:NAME--> where the parts go.
void writeMapPage(std::ostream& out, const std::string& title, const JsonValue& data) {
    const std::string page = MapAssets::page;
    const std::string open = "<!--pw:";
    std::size_t at = 0;
    for (std::size_t marker = page.find(open); marker != std::string::npos; marker = page.find(open, at)) {
        out.write(page.data() + at, static_cast<std::streamsize>(marker - at));
        const std::size_t nameStart = marker + open.size();
        const std::size_t end = page.find("-->", nameStart);
        if (end == std::string::npos) {
            throw std::logic_error("an unclosed part marker in the map page");
        }
        const std::string name = page.substr(nameStart, end - nameStart);
        if (name == "title") {
            out << escapedHtml(title);
        } else if (name == "data") {
            out << scriptJson(data);
        } else if (name == "leaflet-script") {
            out << MapAssets::leafletScript;
        } else if (name == "leaflet-style") {
            out << MapAssets::leafletStyle;
        } else if (name == "script") {
            out << MapAssets::script;
        } else if (name == "style") {
            out << MapAssets::style;
        } else {
            throw std::logic_error("unknown part '" + name + "' in the map page");
        }
        at = end + 3;
    }
    out.write(page.data() + at, static_cast<std::streamsize>(page.size() - at));
}

} // namespace pwtool
