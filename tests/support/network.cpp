#include "support/network.h"

#include <pathweave/persist.h>

#include <sstream>

namespace pwtest {

void loadNetwork(Csqlite& database, pw::CCueCollection& catalogue, pw::CJourneyCollection& network,
                 const std::string& nonJourneyPointsId) {
    const char* const latitude[] = {"LAT", "lat", "Lat"};
    const char* const longitude[] = {"LONG", "long", "Long"};
    std::copy(latitude, latitude + 3, pw::CPersist::latitudeSymbols);
    std::copy(longitude, longitude + 3, pw::CPersist::longitudeSymbols);
    pw::CPersist reader(&database);
    reader.ReadCCueCollection(&catalogue);
    reader.ReadCJourneyCollection(&network, catalogue, nonJourneyPointsId, "");
    for (auto journey = network.journeys.begin() + network.nonJourneyPointsCount;
         journey != network.journeys.end(); ++journey) {
        reader.ReadCJourney(&*journey, catalogue);
    }
    static_cast<void>(catalogue.toCueSubsetGlobal());
}

namespace {

const char* nameOf(const pw::CCue* cue) { return cue == nullptr ? "-" : cue->name.c_str(); }

// The names of a subset, a set state marked with "+".
std::string names(const pw::CCueSubset& subset) {
    std::string text;
    for (const auto& element : subset.cues) {
        text += (text.empty() ? "" : ",") + element.first + (element.second.state ? "+" : "");
    }
    return "[" + text + "]";
}

template <typename Owner, typename Vector> std::string positions(const Owner& owner, const Vector& elements) {
    const auto index = [&elements](typename Vector::const_iterator at) {
        return std::to_string(at - elements.begin());
    };
    return index(owner.current) + "," + index(owner.active) + "," + index(owner.selected);
}

} // namespace

std::string describe(const pw::CCueCollection& catalogue, const pw::CJourneyCollection& network) {
    std::ostringstream out;
    out.precision(10);
    for (const auto& [name, cue] : catalogue.cues) {
        out << "cue " << name << (name == cue.name ? "" : " named " + cue.name) << ' ' << cue.type << " [";
        for (const std::string& argument : cue.arguments) {
            out << argument << '|';
        }
        out << "]\n";
    }
    for (const pw::CJourney& journey : network.journeys) {
        out << "journey " << journey.id << ' ' << names(journey.cues) << " entry " << nameOf(journey.entryCue)
            << " exit " << nameOf(journey.exitCue) << " link " << nameOf(journey.linkTransitionCue)
            << " order " << journey.order << " distances " << journey.linkDistances << " at "
            << positions(journey, journey.linkNodes) << '\n';
        for (const pw::CLinkNode& node : journey.linkNodes) {
            const pw::CBounds& box = node.bounds;
            out << "  " << node.id << ' ' << node.point.latitude << ' ' << node.point.longitude << ' '
                << node.distance << ' ' << names(node.cues) << ' ' << nameOf(node.transitionCue) << " state "
                << node.nodeState << " box " << box.valid << ' ' << box.latMin << ' ' << box.longMin << ' '
                << box.latMax << ' ' << box.longMax << '\n';
        }
    }
    out << "collection at " << positions(network, network.journeys) << " non-journey points "
        << network.nonJourneyPointsCount << '\n';
    return out.str();
}

} // namespace pwtest
