#include "robustness/robustness_support.h"

#include "support/network_schema.h"

#include <cdebug/CDebug.h>
#include <csqlite/Csqlite.h>
#include <pathweave/persist.h>

#include <pthread.h>

#include <iterator>
#include <sstream>

namespace pwtest {

std::string failurePathNetworkSql() {
    return schemaSql() + R"sql(
INSERT INTO cues VALUES ('welcome', 'JOURNEY_ENTRY_TRANSITION', 'welcome.wav,en'),
  ('goodbye', 'journey_exit_transition', ''), ('stop', 'LINK_ENTRY_TRANSITION', 'stop.wav,2'),
  ('arrive', 'Transition', 'arrive.wav'), ('chime', 'SIMPLE', ''), ('doors', 'GLOBAL', 'doors.wav'),
  ('smoke', 'global', 'a,,b,'), ('', 'GLOBAL', 'dropped'), ('odd', 'GLOBAL ', NULL);
INSERT INTO journeys VALUES ('north', 'welcome', 'stop', 'welcome,goodbye,missing', 1),
  ('loop', '', 'arrive', 'chime', 1), ('empty', 'nowhere', '', '', 1), ('hidden', '', '', '', 0);
INSERT INTO Journey_links VALUES ('north', 'n1'), ('north', 'n2'), ('north', 'n3'), ('loop', 'l1'),
  ('loop', 'l2'), ('points', 'p1'), ('points', 'p2');
INSERT INTO links VALUES ('n1', 'A', 'B', 100.5), ('n2', 'B', 'C', 200), ('n3', 'C', 'C', 7),
  ('l1', 'X', 'Y', 1), ('l2', 'Y', 'X', 2), ('p1', 'Q', 'R', 0), ('p2', 'R', 'S', NULL);
INSERT INTO link_nodes VALUES
  ('A', 'PA', 'chime,,unknown', 51.0, 51.1, -0.2, -0.1), ('B', 'PB', 'stop,arrive', 52.0, 52.1, -1.2, -1.1),
  ('C', 'PC', '', 53.0, 53.0, 0, 1), ('X', 'PX', '', 0, 0, 0, 0), ('Y', 'PY', 'doors', 0, 0, 0, 0),
  ('Q', 'PQ', 'doors', 1, 2, 3, 4), ('R', 'PR', '', NULL, 2, 3, 4), ('S', 'PS', 'chime', 1, 2, 3, 4);
INSERT INTO attributes VALUES ('PA', 'LAT', '51.05'), ('PA', 'LONG', '-0.15'), ('PB', 'lat', '52.05'),
  ('PB', 'Long', '-1.15 km'), ('PC', 'Lat', 'abc'), ('PQ', 'LAT', '1.5'), ('PQ', 'LONG', '3.5'),
  ('loop', 'IsCircular', '1'), ('loop', 'IsRandom', '1'), ('north', 'IsRandom', '1');
)sql";
}

void loadNetwork(const std::string& path, pw::CCueCollection& catalogue, pw::CJourneyCollection& network) {
    Csqlite database(path);
    pw::CPersist reader(&database);
    reader.ReadCCueCollection(&catalogue);
    reader.ReadCJourneyCollection(&network, catalogue, nonJourneyPointsId, "");
    for (auto journey = network.journeys.begin() + network.nonJourneyPointsCount;
         journey != network.journeys.end(); ++journey) {
        reader.ReadCJourney(&*journey, catalogue);
    }
    const pw::CCueSubset global = catalogue.toCueSubsetGlobal();
    static_cast<void>(global);
}

namespace {

const char* nameOf(const pw::CCue* cue) { return cue == nullptr ? "-" : cue->name.c_str(); }

void describeSubset(std::ostream& out, const pw::CCueSubset& subset) {
    out << '[';
    for (const auto& element : subset.cues) {
        out << element.first << '=' << nameOf(element.second.cue) << (element.second.state ? "+" : "") << ';';
    }
    out << ']';
}

template <typename Vector, typename Position> long indexOf(const Vector& elements, const Position& position) {
    return static_cast<long>(std::distance(elements.begin(), typename Vector::const_iterator(position)));
}

} // namespace

std::string describe(const pw::CCueCollection& catalogue, const pw::CJourneyCollection& network) {
    std::ostringstream out;
    out.precision(17);
    for (const auto& entry : catalogue.cues) {
        out << "cue " << entry.first << ' ' << entry.second.name << ' ' << entry.second.type << " [";
        for (const std::string& argument : entry.second.arguments) {
            out << argument << '|';
        }
        out << "]\n";
    }
    for (const pw::CJourney& journey : network.journeys) {
        out << "journey " << journey.id << ' ';
        describeSubset(out, journey.cues);
        out << " entry " << nameOf(journey.entryCue) << " exit " << nameOf(journey.exitCue) << " link "
            << nameOf(journey.linkTransitionCue) << " order " << journey.order << " distances "
            << journey.linkDistances << " positions " << indexOf(journey.linkNodes, journey.current) << ','
            << indexOf(journey.linkNodes, journey.active) << ','
            << indexOf(journey.linkNodes, journey.selected) << '\n';
        for (const pw::CLinkNode& node : journey.linkNodes) {
            out << "  node " << node.id << ' ' << node.point.latitude << ' ' << node.point.longitude << ' '
                << node.distance << ' ';
            describeSubset(out, node.cues);
            out << ' ' << nameOf(node.transitionCue) << ' ' << node.nodeState << ' ' << node.bounds.valid
                << ' ' << node.bounds.latMin << ' ' << node.bounds.longMin << ' ' << node.bounds.latMax << ' '
                << node.bounds.longMax << '\n';
        }
    }
    out << "collection " << indexOf(network.journeys, network.current) << ','
        << indexOf(network.journeys, network.active) << ',' << indexOf(network.journeys, network.selected)
        << " non-journey points " << network.nonJourneyPointsCount << '\n';
    return out.str();
}

void resetSymbolLists() {
    pw::CPersist::latitudeSymbols[0] = "LAT";
    pw::CPersist::latitudeSymbols[1] = "lat";
    pw::CPersist::latitudeSymbols[2] = "Lat";
    pw::CPersist::longitudeSymbols[0] = "LONG";
    pw::CPersist::longitudeSymbols[1] = "long";
    pw::CPersist::longitudeSymbols[2] = "Long";
}

LogThreshold::LogThreshold(int32_t threshold) { CDebug::SetThreshold(threshold); }

LogThreshold::~LogThreshold() { CDebug::SetThreshold(8); }

bool logMutexIsFree() {
    pthread_mutex_t* mutex = CDebug::Main->mutex;
    if (mutex == nullptr) {
        return true;
    }
    if (pthread_mutex_trylock(mutex) != 0) {
        return false;
    }
    pthread_mutex_unlock(mutex);
    return true;
}

} // namespace pwtest
