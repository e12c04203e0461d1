#pragma once

#include <pathweave/export.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace pw {

/// A named action of the host (an announcement, a display change, ...), as one row of the
/// database's `cues` table describes it. The library never performs a cue; it classifies it by
/// type and hands the host pointers to the catalogue's copy (see CCueCollection).
class PATHWEAVE_EXPORT CCue {
public:
    /// Type bits: every recognised type text gives exactly one of them, anything else gives 0.
    static constexpr uint32_t EnterTransition = 0x01;        ///< "ENTER_TRANSITION" or "TRANSITION"
    static constexpr uint32_t ExitTransition = 0x02;         ///< "EXIT_TRANSITION"
    static constexpr uint32_t Simple = 0x04;                 ///< "SIMPLE"
    static constexpr uint32_t Global = 0x08;                 ///< "GLOBAL"
    static constexpr uint32_t JourneyEntryTransition = 0x10; ///< "JOURNEY_ENTRY_TRANSITION"
    static constexpr uint32_t JourneyExitTransition = 0x20;  ///< "JOURNEY_EXIT_TRANSITION"
    static constexpr uint32_t LinkEntryTransition = 0x40;    ///< "LINK_ENTRY_TRANSITION"
    static constexpr uint32_t LinkExitTransition = 0x80;     ///< "LINK_EXIT_TRANSITION"
    /// Every entry transition type (0x51): test with `type & EntryTransitionMask`.
    static constexpr uint32_t EntryTransitionMask =
        EnterTransition | JourneyEntryTransition | LinkEntryTransition;
    /// Every exit transition type (0xA2): test with `type & ExitTransitionMask`.
    static constexpr uint32_t ExitTransitionMask =
        ExitTransition | JourneyExitTransition | LinkExitTransition;

    /// Builds a cue from the three texts of a `cues` row; any three texts give a cue.
    CCue(const std::string& cueName, const std::string& typeText, const std::string& argumentText);

    /// The type bit of a type text, compared after upper-casing (so "global" is Global) and
    /// without trimming (so "GLOBAL " is 0); 0 for any text not in the table above.
    static uint32_t toCueType(const std::string& typeText);

    /// The arguments of a comma-separated argument text, in order and untrimmed; empty pieces
    /// are kept. An empty text gives no arguments.
    static std::vector<std::string> toCueArguments(const std::string& argumentText);

    /// The cue's identifier exactly as given: case and blanks kept.
    std::string name;
    /// One type bit, or 0 when the type text was not recognised.
    uint32_t type;
    /// The arguments in the order they were written.
    std::vector<std::string> arguments;
};

/// The cues that apply at one place (a link node, a journey, or everywhere), listed by name with
/// one state flag each. A subset points into the catalogue and owns no cue: the catalogue must
/// outlive it. Copies share the cues and carry their own states.
class PATHWEAVE_EXPORT CCueSubset {
public:
    /// One listed cue and its state flag.
    struct CueSubsetElement {
        /// The catalogue's cue; never null for an element made by `insert`.
        const CCue* cue = nullptr;
        /// The host's flag for the cue: false when listed, set for all cues by `SetState`,
        /// cleared when the link node or journey that holds the subset is reset.
        bool state = false;
    };

    /// Lists `cue` under its name with state false. A cue of a name already listed replaces the
    /// listed pointer and clears its state. A null pointer is ignored.
    void insert(const CCue* cue);

    /// Sets the state flag of every listed cue.
    void SetState(bool state);

    /// The listed cues by name, in byte-wise name order.
    std::map<std::string, CueSubsetElement> cues;
};

/// The catalogue of every cue of the network, owning the cues by name. Pointers to its cues stay
/// valid until `clear` (or the catalogue's destruction): everything that holds them (subsets,
/// link nodes, journeys) must not outlive that.
class PATHWEAVE_EXPORT CCueCollection {
public:
    /// Stores a cue built from the three texts unless one of that name is stored already, in
    /// which case the stored cue stays unchanged (the first of a name wins). Returns the cue
    /// stored under the name, or null for an empty name, which is never stored.
    const CCue* insert(const std::string& name, const std::string& typeText, const std::string& argumentText);

    /// The cue stored under exactly this name (case-sensitive, byte-wise), or null.
    const CCue* find(const std::string& name) const;

    /// A subset of the cues named in a comma-separated list. Names are looked up untrimmed;
    /// each one not in the catalogue (an empty piece included) is skipped and logged at level 8:
    /// "CCueCollection::toCueSubset: Cue name not found in cue list:<name>".
    CCueSubset toCueSubset(const std::string& names) const;

    /// A subset of every cue whose type is exactly Global, each logged at level 2 as it is
    /// added: "CCueCollection::toCueSubsetGlobal: adding global cue:<name>".
    CCueSubset toCueSubsetGlobal() const;

    /// Destroys every cue; every cue pointer handed out before becomes invalid.
    void clear();

    /// The cues by name, in byte-wise name order.
    std::map<std::string, CCue> cues;
};

} // namespace pw
