#include "pathweave/cue.h"

#include "diag/log.h"

#include <strutil/strutil.h>

#include <utility>

namespace pw {

CCue::CCue(const std::string& cueName, const std::string& typeText, const std::string& argumentText)
    : name(cueName), type(toCueType(typeText)), arguments(toCueArguments(argumentText)) {}

uint32_t CCue::toCueType(const std::string& typeText) {
    struct TypeName {
        const char* text;
        uint32_t type;
    };
    static const TypeName typeNames[] = {
        {"ENTER_TRANSITION", EnterTransition},
        {"EXIT_TRANSITION", ExitTransition},
        {"TRANSITION", EnterTransition},
        {"SIMPLE", Simple},
        {"GLOBAL", Global},
        {"JOURNEY_ENTRY_TRANSITION", JourneyEntryTransition},
        {"JOURNEY_EXIT_TRANSITION", JourneyExitTransition},
        {"LINK_ENTRY_TRANSITION", LinkEntryTransition},
        {"LINK_EXIT_TRANSITION", LinkExitTransition},
    };
    const std::string upper = toupper(typeText);
    for (const TypeName& typeName : typeNames) {
        if (upper == typeName.text) {
            return typeName.type;
        }
    }
    return 0;
}

std::vector<std::string> CCue::toCueArguments(const std::string& argumentText) {
    if (argumentText.empty()) {
        return {};
    }
    return CSVsplit(argumentText, ",");
}

void CCueSubset::insert(const CCue* cue) {
    if (!cue) {
        return;
    }
    CueSubsetElement& element = cues[cue->name];
    element.cue = cue;
    element.state = false;
}

void CCueSubset::SetState(bool state) {
    for (auto& entry : cues) {
        entry.second.state = state;
    }
}

const CCue* CCueCollection::insert(const std::string& name, const std::string& typeText,
                                   const std::string& argumentText) {
    if (name.empty()) {
        return nullptr;
    }
    // The cue is built even when the name is taken: the first cue of a name wins.
    CCue cue(name, typeText, argumentText);
    return &cues.emplace(name, std::move(cue)).first->second;
}

const CCue* CCueCollection::find(const std::string& name) const {
    const auto found = cues.find(name);
    return found == cues.end() ? nullptr : &found->second;
}

CCueSubset CCueCollection::toCueSubset(const std::string& names) const {
    CCueSubset subset;
    if (names.empty()) {
        return subset;
    }
    for (const std::string& piece : CSVsplit(names, ",")) {
        if (const CCue* cue = find(piece)) {
            subset.insert(cue);
        } else {
            diag::writeLine(8, "CCueCollection::toCueSubset: Cue name not found in cue list:", piece);
        }
    }
    return subset;
}

CCueSubset CCueCollection::toCueSubsetGlobal() const {
    CCueSubset subset;
    for (const auto& entry : cues) {
        if (entry.second.type == CCue::Global) {
            diag::writeLine(2, "CCueCollection::toCueSubsetGlobal: adding global cue:", entry.second.name);
            subset.insert(&entry.second);
        }
    }
    return subset;
}

void CCueCollection::clear() { cues.clear(); }

} // namespace pw
