// Fuzz target: cue texts through the cue model and the string utilities. The input is lines:
//   1  a cue type text
//   2  an argument text
//   3  a comma-separated list of cue names
//   4  a separator for CSVsplit (empty, one byte or several)
//   5+ catalogue rows, "name<TAB>type text<TAB>argument text"
// Missing lines are empty. Every result is checked against what the texts say it must be.

#include "fuzz_network.h"

#include <pathweave/cue.h>
#include <strutil/strutil.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace {

using pwfuzz::check;

std::vector<std::string> splitOn(const std::string& text, char separator) {
    std::vector<std::string> pieces(1);
    for (const char ch : text) {
        if (ch == separator) {
            pieces.emplace_back();
        } else {
            pieces.back() += ch;
        }
    }
    return pieces;
}

std::string joined(const std::vector<std::string>& pieces, const std::string& separator) {
    std::string text;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        text += i == 0 ? "" : separator;
        text += pieces[i];
    }
    return text;
}

void checkToupper(const std::string& text) {
    const std::string upper = toupper(text);
    check(upper.size() == text.size(), "toupper changed the length");
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char ch = text[i];
        const char expected = ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch;
        check(upper[i] == expected, "toupper changed a byte it must keep, or kept a letter");
    }
}

void checkSplit(const std::string& text, const std::string& separator) {
    const std::vector<std::string> pieces = CSVsplit(text, separator);
    check(!pieces.empty(), "CSVsplit gave no piece");
    if (separator.empty()) {
        check(pieces.size() == 1 && pieces.front() == text, "CSVsplit with no separator split");
        return;
    }
    check(joined(pieces, separator) == text, "CSVsplit lost or added text");
    for (const std::string& piece : pieces) {
        check(piece.find(separator) == std::string::npos, "a CSVsplit piece holds the separator");
    }
}

void checkCue(const std::string& name, const std::string& typeText, const std::string& argumentText) {
    const pw::CCue cue(name, typeText, argumentText);
    check(cue.name == name, "a cue changed its name");
    check(cue.type == pw::CCue::toCueType(typeText), "a cue's type differs from its type text's");
    const uint32_t type = cue.type;
    check(type == 0 || (type <= 0x80 && (type & (type - 1)) == 0), "a cue has more than one type bit");
    const std::string upper = toupper(typeText);
    check((type == pw::CCue::Global) == (upper == "GLOBAL"), "GLOBAL and the Global bit disagree");
    check((type == pw::CCue::EnterTransition) == (upper == "ENTER_TRANSITION" || upper == "TRANSITION"),
          "an enter transition text and its bit disagree");
    if (argumentText.empty()) {
        check(cue.arguments.empty(), "an empty argument text gave arguments");
    } else {
        check(cue.arguments == splitOn(argumentText, ','), "the arguments differ from the argument text");
    }
}

void checkCatalogue(const std::vector<std::string>& lines, const std::string& typeText,
                    const std::string& names) {
    pw::CCueCollection catalogue;
    std::size_t globals = 0;
    for (std::size_t i = 4; i < lines.size(); ++i) {
        const std::vector<std::string> row = splitOn(lines[i], '\t');
        const std::string& name = row[0];
        const std::string type = row.size() > 1 ? row[1] : "";
        const std::string arguments = row.size() > 2 ? row[2] : "";
        const bool known = catalogue.find(name) != nullptr;
        const pw::CCue* cue = catalogue.insert(name, type, arguments);
        if (name.empty()) {
            check(cue == nullptr, "a cue without a name was stored");
            continue;
        }
        check(cue != nullptr && cue == catalogue.find(name), "insert did not give the stored cue");
        if (!known) {
            check(cue->type == pw::CCue::toCueType(type), "the first cue of a name did not win");
            globals += cue->type == pw::CCue::Global ? 1 : 0;
        }
    }
    // Every name of the list is made a cue, so that the whole list resolves.
    const std::vector<std::string> listed = splitOn(names, ',');
    std::set<std::string> distinct;
    for (const std::string& name : listed) {
        if (!name.empty() && catalogue.find(name) == nullptr) {
            const pw::CCue* cue = catalogue.insert(name, typeText, "");
            globals += cue->type == pw::CCue::Global ? 1 : 0;
        }
        if (!name.empty()) {
            distinct.insert(name);
        }
    }

    pw::CCueSubset subset = catalogue.toCueSubset(names);
    check(names.empty() ? subset.cues.empty() : subset.cues.size() == distinct.size(),
          "toCueSubset did not give each listed cue once");
    for (const auto& element : subset.cues) {
        check(element.second.cue == catalogue.find(element.first),
              "a subset lists a cue not in the catalogue");
        check(!element.second.state, "a cue was listed with its state set");
    }
    subset.SetState(true);
    pw::CCueSubset copy = subset;
    if (!copy.cues.empty()) {
        copy.insert(copy.cues.begin()->second.cue);
        check(!copy.cues.begin()->second.state && subset.cues.begin()->second.state,
              "inserting into a copy changed the original, or kept the state");
    }

    const pw::CCueSubset global = catalogue.toCueSubsetGlobal();
    check(global.cues.size() == globals, "toCueSubsetGlobal missed or added a cue");
    catalogue.clear();
    check(catalogue.cues.empty(), "clear left cues");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const bool quiet = (pwfuzz::discardLog(), true);
    static_cast<void>(quiet);
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> lines = splitOn(input, '\n');
    lines.resize(std::max<std::size_t>(lines.size(), 4));
    const std::string& typeText = lines[0];
    const std::string& argumentText = lines[1];
    const std::string& names = lines[2];
    const std::string& separator = lines[3];

    checkToupper(typeText);
    checkToupper(input);
    checkSplit(argumentText, ",");
    checkSplit(names, separator);
    checkSplit(input, separator);
    checkCue(names, typeText, argumentText);
    checkCatalogue(lines, typeText, names);
    return 0;
}
