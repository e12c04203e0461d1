// A minimal host: opens a network database and loads it the way a device does at start.

#include <csqlite/Csqlite.h>
#include <pathweave/pathweave.h>

#include <iostream>

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: pathweave-host NETWORK.db [NON-JOURNEY-POINTS-ID]\n";
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
    reader.ReadCJourneyCollection(&network, catalogue, argc == 3 ? argv[2] : "", "");

    std::size_t linkNodes = 0;
    for (pw::CJourney& journey : network.journeys) {
        if (journey.linkNodes.empty()) {
            reader.ReadCJourney(&journey, catalogue);
        }
        linkNodes += journey.linkNodes.size();
    }
    std::cout << "cues: " << catalogue.cues.size() << " journeys: " << network.journeys.size()
              << " link nodes: " << linkNodes << '\n';
    return 0;
}
