#include "network_generator.h"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace pwbench {

const char* const nonJourneyPointsId = "NJP";

namespace {

// splitmix64: the same sequence on every platform and standard library.
class Random {
public:
    explicit Random(std::uint64_t seed) : state(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    unsigned below(unsigned bound) { return static_cast<unsigned>(next() % bound); }

    double uniform(double low, double high) {
        return low + (high - low) * static_cast<double>(next() >> 11) * 0x1.0p-53;
    }

private:
    std::uint64_t state;
};

[[noreturn]] void fail(sqlite3* db, const std::string& what) {
    throw std::runtime_error(what + ": " + (db != nullptr ? sqlite3_errmsg(db) : "out of memory"));
}

void exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        fail(db, sql);
    }
}

// A prepared INSERT whose parameters are bound in order and which runs once per row.
class Insert {
public:
    Insert(sqlite3* db, const char* sql) : connection(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
            fail(db, sql);
        }
    }
    ~Insert() { sqlite3_finalize(statement); }

    Insert(const Insert&) = delete;
    Insert& operator=(const Insert&) = delete;

    Insert& text(const std::string& value) {
        sqlite3_bind_text(statement, ++parameter, value.data(), static_cast<int>(value.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    Insert& number(double value) {
        sqlite3_bind_double(statement, ++parameter, value);
        return *this;
    }
    Insert& integer(int value) {
        sqlite3_bind_int(statement, ++parameter, value);
        return *this;
    }
    Insert& null() {
        sqlite3_bind_null(statement, ++parameter);
        return *this;
    }
    void run() {
        if (sqlite3_step(statement) != SQLITE_DONE) {
            fail(connection, "inserting a row");
        }
        sqlite3_reset(statement);
        parameter = 0;
    }

private:
    sqlite3* connection;
    sqlite3_stmt* statement = nullptr;
    int parameter = 0;
};

// An id of `prefix`, the zero-padded `number` and a random tail of lower-case letters, at most 15 bytes.
std::string identifier(const char* prefix, unsigned number, int digits, Random& random) {
    char head[32];
    std::snprintf(head, sizeof head, "%s%0*u", prefix, digits, number);
    std::string id = head;
    const unsigned room = id.size() < 15 ? static_cast<unsigned>(15 - id.size()) : 0U;
    const unsigned tail = random.below(room + 1);
    for (unsigned i = 0; i < tail; ++i) {
        id += static_cast<char>('a' + random.below(26));
    }
    return id;
}

std::string coordinate(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

struct Cue {
    std::string name;
    const char* type;
    std::string arguments;
};

struct Catalogue {
    std::vector<Cue> cues;
    std::vector<std::string> journeyEntry, journeyExit, linkEntry, routeInfo, stops, notices;
};

Catalogue makeCatalogue(Random& random) {
    Catalogue catalogue;
    // Type texts in several cases, as authors write them.
    const auto add = [&catalogue](std::vector<std::string>& group, const std::string& name, const char* type,
                                  const std::string& arguments) {
        catalogue.cues.push_back({name, type, arguments});
        group.push_back(name);
    };
    char name[32];
    for (unsigned i = 0; i < 4; ++i) {
        std::snprintf(name, sizeof name, "welcome_%u", i);
        add(catalogue.journeyEntry, name, i % 2 ? "journey_entry_transition" : "JOURNEY_ENTRY_TRANSITION",
            std::string(name) + ".wav,en,gd");
        std::snprintf(name, sizeof name, "goodbye_%u", i);
        add(catalogue.journeyExit, name, "JOURNEY_EXIT_TRANSITION", std::string(name) + ".wav,en");
        std::snprintf(name, sizeof name, "chime_%u", i);
        add(catalogue.linkEntry, name, i % 2 ? "Link_Entry_Transition" : "LINK_ENTRY_TRANSITION",
            std::string(name) + ".wav");
    }
    for (unsigned i = 0; i < 16; ++i) {
        std::snprintf(name, sizeof name, "route_%02u", i);
        add(catalogue.routeInfo, name, "SIMPLE", std::string(name) + ".wav,en");
    }
    for (unsigned i = 0; i < 96; ++i) {
        std::snprintf(name, sizeof name, "stop_%03u", i);
        add(catalogue.stops, name, i % 3 ? "ENTER_TRANSITION" : "Transition", std::string(name) + ".wav,en");
    }
    for (unsigned i = 0; i < 32; ++i) {
        std::snprintf(name, sizeof name, "notice_%02u", i);
        add(catalogue.notices, name, random.below(4) == 0 ? "simple" : "SIMPLE", std::string(name) + ".wav");
    }
    std::vector<std::string> ignored;
    add(ignored, "mind_the_doors", "GLOBAL", "doors.wav,en,gd");
    add(ignored, "no_smoking", "global", "no_smoking.wav,en");
    add(ignored, "leaving_depot", "LINK_EXIT_TRANSITION", "depart.wav");
    return catalogue;
}

const std::string& pick(const std::vector<std::string>& names, Random& random) {
    return names[random.below(static_cast<unsigned>(names.size()))];
}

const char* latitudeSymbol(bool mixed, Random& random) {
    if (!mixed) {
        return "LAT";
    }
    const unsigned roll = random.below(20);
    return roll < 12 ? "LAT" : roll < 17 ? "lat" : "Lat";
}

const char* longitudeSymbol(bool mixed, Random& random) {
    if (!mixed) {
        return "LONG";
    }
    const unsigned roll = random.below(20);
    return roll < 12 ? "LONG" : roll < 17 ? "long" : "Long";
}

class Writer {
public:
    Writer(sqlite3* db, const NetworkSpec& networkSpec)
        : spec(networkSpec), random(networkSpec.seed), catalogue(makeCatalogue(random)),
          cueRow(db, "INSERT INTO cues VALUES (?, ?, ?);"),
          journeyRow(db, "INSERT INTO journeys VALUES (?, ?, ?, ?, ?);"),
          journeyLinkRow(db, "INSERT INTO Journey_links VALUES (?, ?);"),
          linkRow(db, "INSERT INTO links VALUES (?, ?, ?, ?);"),
          linkNodeRow(db, "INSERT INTO link_nodes VALUES (?, ?, ?, ?, ?, ?, ?);"),
          attributeRow(db, "INSERT INTO attributes VALUES (?, ?, ?);") {}

    void write() {
        for (const Cue& cue : catalogue.cues) {
            cueRow.text(cue.name).text(cue.type).text(cue.arguments).run();
        }
        if (spec.sharedStops != 0) {
            writeTown();
        }
        writeChain(nonJourneyPointsId, spec.nonJourneyPoints, false);
        for (unsigned journey = 0; journey < spec.journeys; ++journey) {
            const std::string id = identifier("J", journey, 5, random);
            const std::string cues =
                pick(catalogue.routeInfo, random) + "," + pick(catalogue.journeyExit, random);
            journeyRow.text(id)
                .text(pick(catalogue.journeyEntry, random))
                .text(pick(catalogue.linkEntry, random))
                .text(cues)
                .integer(1)
                .run();
            const unsigned flag = random.below(20);
            if (flag < 2) {
                attributeRow.text(id).text("IsCircular").text("1").run();
            } else if (flag < 3) {
                attributeRow.text(id).text("IsRandom").text("1").run();
            } else if (flag < 4) {
                attributeRow.text(id).text("IsCircular").text("0").run();
            }
            if (spec.sharedStops == 0) {
                writeChain(id, spec.linkNodesPerJourney, true);
            } else {
                writeRoute(id);
            }
        }
    }

private:
    // Ids of the town's stops, on a grid `columns` wide.
    struct Town {
        unsigned columns = 0;
        std::vector<std::string> stops;
    };

    // A link node of its own point, with a box about 90 m by 50 m around it.
    void writeNode(const std::string& node, const std::string& point, double latitude, double longitude) {
        std::string cues = pick(random.below(4) != 0 ? catalogue.stops : catalogue.notices, random);
        if (random.below(2) != 0) {
            cues += "," + pick(catalogue.notices, random);
        }
        const double half = 0.0004;
        linkNodeRow.text(node)
            .text(point)
            .text(cues)
            .number(latitude - half)
            .number(latitude + half)
            .number(longitude - half)
            .number(longitude + half)
            .run();
        attributeRow.text(point)
            .text(latitudeSymbol(spec.mixedSymbols, random))
            .text(coordinate(latitude))
            .run();
        attributeRow.text(point)
            .text(longitudeSymbol(spec.mixedSymbols, random))
            .text(coordinate(longitude))
            .run();
    }

    void writeTown() {
        town.columns = static_cast<unsigned>(std::ceil(std::sqrt(static_cast<double>(spec.sharedStops))));
        for (unsigned i = 0; i < spec.sharedStops; ++i) {
            const unsigned number = nextNode++;
            town.stops.push_back(identifier("N", number, 7, random));
            const double latitude = 55.0 + 0.004 * (i / town.columns) + random.uniform(-0.0008, 0.0008);
            const double longitude = -3.0 + 0.0065 * (i % town.columns) + random.uniform(-0.0008, 0.0008);
            writeNode(town.stops.back(), identifier("P", number, 7, random), latitude, longitude);
        }
    }

    // A route from a random stop to neighbouring stops of the grid, mostly straight on, never
    // through a stop twice.
    void writeRoute(const std::string& journeyId) {
        const int columns = static_cast<int>(town.columns);
        const int count = static_cast<int>(town.stops.size());
        static const int steps[4][2] = {{0, 1}, {1, 0}, {0, -1}, {-1, 0}};
        int at = static_cast<int>(random.below(spec.sharedStops));
        unsigned heading = random.below(4);
        std::vector<int> route = {at};
        while (route.size() < spec.linkNodesPerJourney) {
            const unsigned roll = random.below(8);
            heading = (heading + (roll == 0 ? 1 : roll == 1 ? 3 : 0)) % 4;
            bool moved = false;
            for (unsigned turn = 0; turn < 4 && !moved; ++turn) {
                const unsigned direction = (heading + turn) % 4;
                const int row = at / columns + steps[direction][0];
                const int column = at % columns + steps[direction][1];
                const int next = row * columns + column;
                if (row < 0 || column < 0 || column >= columns || next >= count ||
                    std::find(route.begin(), route.end(), next) != route.end()) {
                    continue;
                }
                heading = direction;
                at = next;
                route.push_back(at);
                moved = true;
            }
            if (!moved) {
                break;
            }
        }
        writeLinks(journeyId, route, true);
    }

    // The links between consecutive stops of a route, listed in shuffled order.
    void writeLinks(const std::string& journeyId, const std::vector<int>& route, bool distances) {
        std::vector<std::string> nodes;
        for (const int stop : route) {
            nodes.push_back(town.stops[static_cast<std::size_t>(stop)]);
        }
        writeLinkRows(journeyId, nodes, distances);
    }

    // A chain of `count` link nodes for journey `journeyId`, its links listed in shuffled order.
    void writeChain(const std::string& journeyId, unsigned count, bool distances) {
        // Anywhere in Britain, or in the town when there is one.
        double latitude = town.stops.empty() ? random.uniform(50.0, 58.0) : 55.0 + random.uniform(0.0, 0.1);
        double longitude = town.stops.empty() ? random.uniform(-6.0, 2.0) : -3.0 + random.uniform(0.0, 0.1);
        const double heading = random.uniform(0.0, 6.283185307179586);
        std::vector<std::string> nodes;
        nodes.reserve(count);
        for (unsigned i = 0; i < count; ++i) {
            const unsigned number = nextNode++;
            nodes.push_back(identifier("N", number, 7, random));
            writeNode(nodes.back(), identifier("P", number, 7, random), latitude, longitude);
            const double step = random.uniform(0.003, 0.006);
            latitude += step * std::sin(heading + random.uniform(-0.5, 0.5));
            longitude += step * std::cos(heading + random.uniform(-0.5, 0.5));
        }
        writeLinkRows(journeyId, nodes, distances);
    }

    void writeLinkRows(const std::string& journeyId, const std::vector<std::string>& nodes, bool distances) {
        const auto count = static_cast<unsigned>(nodes.size());
        std::vector<std::string> links;
        for (unsigned i = 0; i + 1 < count; ++i) {
            links.push_back(identifier("L", nextLink++, 7, random));
            linkRow.text(links.back()).text(nodes[i]).text(nodes[i + 1]);
            if (distances) {
                linkRow.number(static_cast<double>(250 + random.below(650))).run();
            } else {
                linkRow.null().run();
            }
        }
        for (std::size_t i = links.size(); i > 1; --i) {
            std::swap(links[i - 1], links[random.below(static_cast<unsigned>(i))]);
        }
        for (const std::string& link : links) {
            journeyLinkRow.text(journeyId).text(link).run();
        }
    }

    const NetworkSpec& spec;
    Random random;
    Catalogue catalogue;
    unsigned nextNode = 0;
    unsigned nextLink = 0;
    Town town;
    Insert cueRow, journeyRow, journeyLinkRow, linkRow, linkNodeRow, attributeRow;
};

const char* const schema =
    "CREATE TABLE cues (cue_id TEXT PRIMARY KEY, cue_type TEXT, cue_arguments TEXT);"
    "CREATE TABLE journeys (JOURNEY_ID TEXT PRIMARY KEY, JOURNEY_TRANSITION_CUE TEXT, LINK_TRANSITION_CUE "
    "TEXT,"
    " CUES TEXT, SELECTABLE INTEGER);"
    "CREATE TABLE Journey_links (JOURNEY_ID TEXT, LINK_ID TEXT);"
    "CREATE TABLE links (LINK_ID TEXT PRIMARY KEY, LINKNODE_ID1 TEXT, LINKNODE_ID2 TEXT, DISTANCE_TRANSIT "
    "REAL);"
    "CREATE TABLE link_nodes (LINKNODE_ID TEXT PRIMARY KEY, POINT_ID TEXT, CUES TEXT, BBLATMIN REAL,"
    " BBLATMAX REAL, BBLONGMIN REAL, BBLONGMAX REAL);"
    "CREATE TABLE attributes (id TEXT, symbol TEXT, value TEXT);";

// Closes the connection however the writing ends.
class Connection {
public:
    explicit Connection(const std::string& path) {
        if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
            SQLITE_OK) {
            const std::string why = db != nullptr ? sqlite3_errmsg(db) : "out of memory";
            sqlite3_close(db);
            throw std::runtime_error("cannot open '" + path + "': " + why);
        }
    }
    ~Connection() { sqlite3_close(db); }

    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    sqlite3* db = nullptr;
};

std::string temporaryName(const std::string& path) { return path + ".part" + std::to_string(getpid()); }

} // namespace

NetworkSpec sizeS() { return {"S", 50, 20, 12, 1, false}; }
NetworkSpec sizeM() { return {"M", 500, 40, 12, 1, false}; }
NetworkSpec sizeL() { return {"L", 5000, 40, 12, 1, false}; }

void writeNetwork(const std::string& path, const NetworkSpec& spec) {
    std::filesystem::remove(path);
    const Connection connection(path);
    // Nothing to recover if the writing stops halfway: the file is thrown away.
    exec(connection.db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF;");
    exec(connection.db, schema);
    exec(connection.db, "BEGIN;");
    {
        Writer writer(connection.db, spec);
        writer.write();
    }
    exec(connection.db, "COMMIT;");
}

void createRecommendedIndexes(const std::string& path) {
    const Connection connection(path);
    exec(connection.db, "CREATE INDEX IF NOT EXISTS attributes_id_symbol ON attributes(id, symbol);");
    exec(connection.db, "CREATE INDEX IF NOT EXISTS Journey_links_JOURNEY_ID ON Journey_links(JOURNEY_ID);");
}

std::string networkFileName(const NetworkSpec& spec, bool indexed) {
    return spec.name + "-" + std::to_string(spec.journeys) + "x" + std::to_string(spec.linkNodesPerJourney) +
           "-" + std::to_string(spec.nonJourneyPoints) + (spec.mixedSymbols ? "-mixed" : "-LAT") + "-seed" +
           std::to_string(spec.seed) +
           (spec.sharedStops != 0 ? "-shared" + std::to_string(spec.sharedStops) : "") +
           (indexed ? "-indexed" : "") + ".db";
}

std::string ensureNetwork(const std::string& directory, const NetworkSpec& spec, bool indexed) {
    std::filesystem::create_directories(directory);
    const std::string path = directory + "/" + networkFileName(spec, indexed);
    if (std::filesystem::exists(path)) {
        return path;
    }
    const std::string part = temporaryName(path);
    if (indexed) {
        const std::string plain = ensureNetwork(directory, spec, false);
        std::filesystem::copy_file(plain, part, std::filesystem::copy_options::overwrite_existing);
        createRecommendedIndexes(part);
    } else {
        writeNetwork(part, spec);
    }
    std::filesystem::rename(part, path);
    return path;
}

} // namespace pwbench
