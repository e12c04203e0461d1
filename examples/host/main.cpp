// A minimal host: opens a network database and loads it the way a device does at start; given a
// journey and a GPS track, feeds the track's fixes to the journey tracker and prints the arrivals.

#include <csqlite/Csqlite.h>
#include <pathweave/pathweave.h>
#include <pathweave/track/tracker.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

namespace {

// Reads "time,latitude,longitude" lines (a header line is skipped, as it does not scan) and gives
// each fix to the tracker, as a device would give each fix its receiver reports.
void drive(pw::CJourney& journey, std::istream& track) {
    pw::track::Tracker tracker(journey);
    std::string line;
    while (std::getline(track, line)) {
        pw::track::Fix fix;
        if (std::sscanf(line.c_str(), "%lf,%lf,%lf", &fix.time, &fix.position.latitude,
                        &fix.position.longitude) != 3) {
            continue;
        }
        for (const pw::track::Event& event : tracker.update(fix)) {
            if (event.type == pw::track::Event::Arrived || event.type == pw::track::Event::Passed) {
                // The tracker has made the node current; the host now performs its cues.
                const pw::CLinkNode& node = *journey.current;
                std::cout << fix.time << " s: arrived at " << node.id;
                if (node.transitionCue != nullptr) {
                    std::cout << ", cue " << node.transitionCue->name;
                }
                std::cout << '\n';
            }
        }
    }
    std::cout << "fixes used: " << tracker.counts().used << '\n';
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3 && argc != 5) {
        std::cerr << "usage: pathweave-host NETWORK.db [NON-JOURNEY-POINTS-ID [JOURNEY TRACK.csv]]\n";
        return 2;
    }
    Csqlite database(argv[1]);
    if (!database.valid) {
        std::cerr << "pathweave-host: " << database.errorMessage << '\n';
        return 1;
    }

    // The catalogue must outlive the journeys: they point at its cues.
    pw::CCueCollection catalogue;
    pw::CJourneyCollection network;
    pw::CPersist reader(&database);
    reader.ReadCCueCollection(&catalogue);
    reader.ReadCJourneyCollection(&network, catalogue, argc >= 3 ? argv[2] : "", "");

    std::size_t linkNodes = 0;
    for (pw::CJourney& journey : network.journeys) {
        if (journey.linkNodes.empty()) {
            reader.ReadCJourney(&journey, catalogue);
        }
        linkNodes += journey.linkNodes.size();
    }
    std::cout << "cues: " << catalogue.cues.size() << " journeys: " << network.journeys.size()
              << " link nodes: " << linkNodes << '\n';
    if (argc < 5) {
        return 0;
    }

    // Nothing is appended to the collection from here on, so the journey stays where it is.
    if (network.SetCurrent(argv[3]) == network.journeys.end()) {
        std::cerr << "pathweave-host: no journey '" << argv[3] << "'\n";
        return 1;
    }
    network.SetActiveFromCurrent();
    std::ifstream track(argv[4]);
    if (!track) {
        std::cerr << "pathweave-host: cannot read '" << argv[4] << "'\n";
        return 1;
    }
    drive(*network.current, track);
    return 0;
}
