// `pathweave sample` writes the bundled sample network; `pathweave demo` loads it as a host does
// and drives one of its journeys along the bundled GPS track.

#include "tool.h"

#include <CLI/CLI.hpp>

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

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
    NetworkDatabase database(path);
    Network network;
    loadNetwork(database, sampleNonJourneyPointsId, "", network);

    std::size_t linkNodes = 0;
    for (const pw::CJourney& journey : network.journeys.journeys) {
        linkNodes += linkNodeCount(journey);
    }
    Output output("-");
    std::ostream& out = output.stream();
    out << "Sample network: " << network.cues.cues.size() << " cues, "
        << network.journeys.journeys.size() - network.journeys.nonJourneyPointsCount
        << " selectable journeys and the non-journey points, " << linkNodes << " link nodes, loaded in "
        << formatFixed(network.loadSeconds * 1000.0, 1) << " ms\n";
    for (auto journey = firstOrdinaryJourney(network.journeys); journey != network.journeys.journeys.end();
         ++journey) {
        static const char* const orders[] = {"standard", "circular", "random"};
        out << "  journey " << journey->id << ": " << linkNodeCount(*journey) << " stops, "
            << orders[journey->order] << " order" << (journey->linkDistances ? ", with distances" : "")
            << '\n';
    }
    out << "\nDriving journey " << sampleTrackJourney << " along the sample GPS track:\n";
    std::istringstream track(sampleTrackCsv);
    replayTrack(network, sampleTrackJourney, track, Format::Text, out);
    output.finish();
    return Success;
}

} // namespace

void writeSampleDatabase(const std::string& path) {
    if (path.empty()) {
        throw ToolError(UsageError, "the output file name is empty: give the name of the database to write");
    }
    if (path == "-") {
        throw ToolError(UsageError, "the sample network is an SQLite database, which cannot go to standard "
                                    "output: give the name of the database to write");
    }
    struct stat status {};
    if (stat(path.c_str(), &status) == 0) {
        throw ToolError(Failed, "will not overwrite '" + path + "': " +
                                    (S_ISDIR(status.st_mode) ? "it is a directory" : "the file exists"));
    }
    // The database is made under a temporary name beside the file, and linked to its name only
    // when it is complete; link() fails rather than replace a file made meanwhile.
    const std::string temporary = makeTemporaryBeside(path);
    sqlite3* database = nullptr;
    int result = sqlite3_open_v2(temporary.c_str(), &database, SQLITE_OPEN_READWRITE, nullptr);
    char* error = nullptr;
    if (result == SQLITE_OK) {
        result = sqlite3_exec(database, sampleNetworkSql, nullptr, nullptr, &error);
    }
    const std::string why = error != nullptr ? error : sqlite3_errmsg(database);
    sqlite3_free(error);
    sqlite3_close(database);
    const bool linked = result == SQLITE_OK && link(temporary.c_str(), path.c_str()) == 0;
    const int linkError = errno;
    std::remove(temporary.c_str());
    if (result != SQLITE_OK) {
        throw ToolError(Failed, "cannot write the sample network to '" + path + "': " + why);
    }
    if (!linked) {
        throw ToolError(Failed, "cannot write '" + path + "': " + errorText(linkError));
    }
}

void addSampleCommand(CLI::App& app, Command& command) {
    CLI::App* sample = addCommand(app, "sample", "Write the bundled sample network database to a new file",
                                  "pathweave sample -o wrenmouth.db\n"
                                  "pathweave check wrenmouth.db --non-journey-points NJP");
    auto path = std::make_shared<std::string>();
    sample->add_option("-o,--output", *path, "The database file to write; it must not exist yet")
        ->required()
        ->type_name("FILE");
    sample->callback([path, &command] {
        command = [path] {
            writeSampleDatabase(*path);
            return Success;
        };
    });
}

void addDemoCommand(CLI::App& app, Command& command) {
    CLI::App* demo = addCommand(
        app, "demo",
        "Load the bundled sample network as a host does and drive a journey along the sample GPS track",
        "pathweave demo\npathweave demo --log-level 2");
    demo->callback([&command] { command = runDemo; });
}

} // namespace pwtool
