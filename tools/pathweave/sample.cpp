// `pathweave sample` writes the bundled sample network; `pathweave demo` loads it as a host does
// and drives one of its journeys along the bundled GPS track.

#include "tool.h"

#include <CLI/CLI.hpp>

#include <sqlite3.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <vector>

namespace pwtool {

namespace {

// A folder of its own for the demo's database, removed with everything in it.
class TemporaryFolder {
public:
    TemporaryFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern =
            std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/pathweave-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (mkdtemp(name.data()) == nullptr) {
            throw ToolError(Failed,
                            "cannot make a temporary folder '" + pattern + "': " + std::strerror(errno));
        }
        path = name.data();
    }

    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }

    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    std::string path;
};

std::size_t linkNodeCount(const pw::CJourney& journey) {
    // Every journey read from a database is headed by its ROOT node, which is no stop.
    return journey.linkNodes.empty() ? 0 : journey.linkNodes.size() - 1;
}

int runDemo() {
    const TemporaryFolder folder;
    const std::string path = folder.path + "/sample-network.db";
    writeSampleDatabase(path);
    const std::unique_ptr<Csqlite> database = openNetworkDatabase(path);
    Network network;
    loadNetwork(*database, sampleNonJourneyPointsId, "", network);

    std::size_t linkNodes = 0;
    for (const pw::CJourney& journey : network.journeys.journeys) {
        linkNodes += linkNodeCount(journey);
    }
    std::cout << "Sample network: " << network.cues.cues.size() << " cues, "
              << network.journeys.journeys.size() - network.journeys.nonJourneyPointsCount
              << " selectable journeys and the non-journey points, " << linkNodes << " link nodes, loaded in "
              << network.loadSeconds * 1000.0 << " ms\n";
    for (auto journey = firstOrdinaryJourney(network.journeys); journey != network.journeys.journeys.end();
         ++journey) {
        static const char* const orders[] = {"standard", "circular", "random"};
        std::cout << "  journey " << journey->id << ": " << linkNodeCount(*journey) << " stops, "
                  << orders[journey->order] << " order" << (journey->linkDistances ? ", with distances" : "")
                  << '\n';
    }
    std::cout << "\nDriving journey " << sampleTrackJourney << " along the sample GPS track:\n";
    std::istringstream track(sampleTrackCsv);
    return replayTrack(network, sampleTrackJourney, track, Format::Text, std::cout);
}

} // namespace

void writeSampleDatabase(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) == 0) {
        throw ToolError(Failed, "will not overwrite '" + path + "': the file exists");
    }
    sqlite3* database = nullptr;
    int result =
        sqlite3_open_v2(path.c_str(), &database, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    char* error = nullptr;
    if (result == SQLITE_OK) {
        result = sqlite3_exec(database, sampleNetworkSql, nullptr, nullptr, &error);
    }
    const std::string why = error != nullptr ? error : sqlite3_errmsg(database);
    sqlite3_free(error);
    sqlite3_close(database);
    if (result != SQLITE_OK) {
        std::remove(path.c_str());
        throw ToolError(Failed, "cannot write the sample network to '" + path + "': " + why);
    }
}

void addSampleCommand(CLI::App& app, Command& command) {
    CLI::App* sample =
        app.add_subcommand("sample", "Write the bundled sample network database to a new file");
    auto path = std::make_shared<std::string>();
    sample->add_option("-o,--output", *path, "The database file to write; it must not exist yet")->required();
    sample->callback([path, &command] {
        command = [path] {
            writeSampleDatabase(*path);
            return Success;
        };
    });
}

void addDemoCommand(CLI::App& app, Command& command) {
    CLI::App* demo = app.add_subcommand(
        "demo",
        "Load the bundled sample network as a host does and drive a journey along the sample GPS track");
    demo->callback([&command] { command = runDemo; });
}

} // namespace pwtool
