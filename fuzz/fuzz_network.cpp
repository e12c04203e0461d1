#include "fuzz_network.h"

#include <cdebug/CDebug.h>
#include <csqlite/Csqlite.h>
#include <pathweave/pathweave.h>

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <vector>

namespace pwfuzz {

namespace {

// Progress callbacks per connection, each after this many virtual machine steps; past the budget every
// statement is interrupted. A hundred thousand steps build and read any network that the seeds hold.
constexpr int stepsPerCallback = 1000;
constexpr int callbacksPerConnection = 100;
// No value may be longer than this; a megabyte of text is a hostile id already.
constexpr int longestValue = 1 << 20;

// TMPDIR, else memory where the machine offers it: every execution writes a file and throws it away.
std::string scratchBase() {
    const char* base = std::getenv("TMPDIR");
    if (base != nullptr && *base != '\0') {
        return base;
    }
    return access("/dev/shm", W_OK | X_OK) == 0 ? "/dev/shm" : "/tmp";
}

std::string makeScratchFolder() {
    std::string pattern = scratchBase() + "/pathweave-fuzz-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr) {
        std::perror("pathweave fuzz: cannot make a scratch folder");
        std::abort();
    }
    return name.data();
}

struct ScratchFolder {
    ScratchFolder() : path(makeScratchFolder()), database(path + "/network.db") {}
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }

    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string path;
    std::string database;
};

ScratchFolder& scratch() {
    static ScratchFolder folder;
    return folder;
}

int spendBudget(void* remaining) {
    int& callbacks = *static_cast<int*>(remaining);
    if (callbacks <= 0) {
        return 1;
    }
    --callbacks;
    return 0;
}

// Pragmas that shape the database a reader meets (encoding, page size, WAL, a schema written by
// hand); every other one is refused, those that move SQLite's files among them.
bool allowedPragma(const char* name) {
    static const char* const allowed[] = {
        "application_id", "auto_vacuum",   "automatic_index",    "cell_size_check", "encoding",
        "foreign_keys",   "journal_mode",  "legacy_alter_table", "page_size",       "recursive_triggers",
        "schema_version", "secure_delete", "user_version",       "writable_schema"};
    if (name == nullptr) {
        return false;
    }
    for (const char* pragma : allowed) {
        if (sqlite3_stricmp(name, pragma) == 0) {
            return true;
        }
    }
    return false;
}

int authorize(void*, int action, const char* first, const char*, const char*, const char*) {
    switch (action) {
    case SQLITE_ATTACH:
    case SQLITE_DETACH:
        return SQLITE_DENY;
    case SQLITE_PRAGMA:
        return allowedPragma(first) ? SQLITE_OK : SQLITE_DENY;
    default:
        return SQLITE_OK;
    }
}

// Each connection's budget lives beside it; the targets open one connection at a time.
int writeBudget = 0;
int loadBudget = 0;

volatile std::size_t loggedBytes = 0;

} // namespace

const std::string& databasePath() { return scratch().database; }

void removeDatabase() {
    for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
        unlink((databasePath() + suffix).c_str());
    }
}

void makeDatabase(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(db);
        return;
    }
    sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, longestValue);
    sqlite3_limit(db, SQLITE_LIMIT_SQL_LENGTH, longestValue);
    sqlite3_set_authorizer(db, authorize, nullptr);
    writeBudget = callbacksPerConnection;
    sqlite3_progress_handler(db, stepsPerCallback, spendBudget, &writeBudget);
    // The file is thrown away after one load: nothing needs to reach the disk.
    sqlite3_exec(db, "PRAGMA synchronous = OFF; PRAGMA journal_mode = MEMORY;", nullptr, nullptr, nullptr);

    const char* at = sql.data();
    const char* const end = sql.data() + sql.size();
    while (at < end) {
        sqlite3_stmt* statement = nullptr;
        const char* tail = nullptr;
        const int prepared = sqlite3_prepare_v2(db, at, static_cast<int>(end - at), &statement, &tail);
        if (prepared != SQLITE_OK || tail == nullptr || tail <= at) {
            // A statement that cannot be prepared (or a NUL byte, where SQLite stops reading) is
            // skipped up to the next semicolon.
            sqlite3_finalize(statement);
            const auto* semicolon =
                static_cast<const char*>(std::memchr(at, ';', static_cast<std::size_t>(end - at)));
            at = semicolon != nullptr ? semicolon + 1 : end;
            continue;
        }
        if (statement != nullptr) {
            while (sqlite3_step(statement) == SQLITE_ROW) {
            }
            sqlite3_finalize(statement);
        }
        at = tail;
    }
    sqlite3_close(db);
}

void limitWork(sqlite3* connection) {
    loadBudget = callbacksPerConnection;
    sqlite3_progress_handler(connection, stepsPerCallback, spendBudget, &loadBudget);
}

void discardLog() {
    CDebug::SetLineSink([](int32_t level, const std::string& line) {
        // Looked at, so that the text is really made and read.
        loggedBytes = loggedBytes + line.size() + static_cast<std::size_t>(level);
    });
}

void check(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "pathweave fuzz: broken promise: %s\n", what);
        std::abort();
    }
}

namespace {

using pw::CJourney;
using pw::CJourneyCollection;

// SetCurrent finds a link node, and the collection's SetCurrent a journey, by a linear search, so
// calling it on every one is quadratic by design; past this many it is called on a sample.
constexpr std::size_t madeCurrentInFull = 200;

void checkSubset(const pw::CCueSubset& subset, const pw::CCueCollection& catalogue) {
    for (const auto& element : subset.cues) {
        check(element.second.cue != nullptr, "a cue subset lists a null cue");
        check(element.second.cue == catalogue.find(element.first),
              "a cue subset lists a cue not in the catalogue");
    }
}

void checkCue(const pw::CCue* cue, const pw::CCueCollection& catalogue) {
    check(cue == nullptr || cue == catalogue.find(cue->name), "a cue pointer points outside the catalogue");
}

void checkCatalogue(const pw::CCueCollection& catalogue) {
    for (const auto& entry : catalogue.cues) {
        check(!entry.first.empty(), "the catalogue holds an empty name");
        check(entry.first == entry.second.name, "a cue is stored under another name");
        const uint32_t type = entry.second.type;
        check(type == 0 || (type <= 0x80 && (type & (type - 1)) == 0), "a cue has more than one type bit");
    }
}

void checkReadJourney(const CJourney& journey, const pw::CCueCollection& catalogue) {
    checkSubset(journey.cues, catalogue);
    checkCue(journey.entryCue, catalogue);
    checkCue(journey.exitCue, catalogue);
    checkCue(journey.linkTransitionCue, catalogue);
    check(journey.current == journey.linkNodes.begin(), "a journey read is not on its first link node");
    check(journey.selected == journey.linkNodes.begin(),
          "a journey read has not selected its first link node");
    if (journey.linkNodes.empty()) {
        return;
    }
    check(journey.linkNodes.front().id == "ROOT", "a journey read does not start at ROOT");
    check(journey.linkDistances == journey.hasLinkDistances(), "a journey's link-distance flag is stale");
    for (const pw::CLinkNode& node : journey.linkNodes) {
        checkSubset(node.cues, catalogue);
        checkCue(node.transitionCue, catalogue);
        check(node.transitionCue == journey.linkTransitionCue ||
                  (node.transitionCue->type & pw::CCue::EntryTransitionMask) != 0,
              "a link node's transition cue is neither the journey's nor an entry transition");
        check(node.nodeState == 0, "a link node read has a state");
        const pw::CBounds& box = node.bounds;
        check(box.valid == (box.latMin < box.latMax && box.longMin < box.longMax),
              "a geo-fence's validity is wrong");
    }
}

// Drives one journey as a host does while running it.
void runJourney(CJourney& journey) {
    const std::size_t count = journey.linkNodes.size();
    const std::size_t stride = count <= madeCurrentInFull ? 1 : count / madeCurrentInFull;
    for (std::size_t index = 0; index < count; ++index) {
        const pw::CLinkNode& node = journey.linkNodes[index];
        if (index % stride == 0 || index + 1 == count) {
            const auto found = journey.SetCurrent(node.id);
            check(found != journey.linkNodes.end() && found->id == node.id, "SetCurrent misses a link node");
            check(journey.current == found && journey.selected == found, "SetCurrent moved nothing");
        }
        const pw::CBounds& box = node.bounds;
        const bool inside = node.WithinBounds(node.point);
        check(!box.valid ||
                  inside == (node.point.latitude >= box.latMin && node.point.latitude <= box.latMax &&
                             node.point.longitude >= box.longMin && node.point.longitude <= box.longMax),
              "WithinBounds disagrees with the box");
        if (box.valid) {
            check(node.WithinBounds(pw::CPoint{box.latMin, box.longMin}),
                  "a box's lower corner is outside it");
            check(node.WithinBounds(pw::CPoint{box.latMax, box.longMax}),
                  "a box's upper corner is outside it");
        }
    }
    check(journey.SetCurrent(std::string("\x01no such node", 13)) == journey.linkNodes.end(),
          "SetCurrent found a node that is not there");
    static_cast<void>(journey.CountLinkNodesWithValidBounds());
    journey.reset();
    check(journey.current == journey.linkNodes.begin() && journey.active == journey.linkNodes.begin(),
          "reset left a position elsewhere");
}

std::vector<long> positionsOf(const CJourneyCollection& network) {
    std::vector<long> positions;
    const auto index = [](const auto& elements, const auto& position) {
        return static_cast<long>(std::distance(elements.cbegin(), decltype(elements.cbegin())(position)));
    };
    positions.push_back(index(network.journeys, network.current));
    positions.push_back(index(network.journeys, network.active));
    positions.push_back(index(network.journeys, network.selected));
    for (const CJourney& journey : network.journeys) {
        positions.push_back(index(journey.linkNodes, journey.current));
        positions.push_back(index(journey.linkNodes, journey.active));
        positions.push_back(index(journey.linkNodes, journey.selected));
    }
    return positions;
}

} // namespace

void loadLikeAHost(const std::string& path) {
    // The process-wide symbol lists start each load in their first order, so that an input behaves
    // the same whatever ran before it.
    pw::CPersist::latitudeSymbols[0] = "LAT";
    pw::CPersist::latitudeSymbols[1] = "lat";
    pw::CPersist::latitudeSymbols[2] = "Lat";
    pw::CPersist::longitudeSymbols[0] = "LONG";
    pw::CPersist::longitudeSymbols[1] = "long";
    pw::CPersist::longitudeSymbols[2] = "Long";

    Csqlite database(path);
    if (!database.valid) {
        return;
    }
    limitWork(database.handle());
    // As a host does around a load: one read transaction instead of one per statement.
    const Csqlite::ReadTransaction transaction(database);
    pw::CPersist reader(&database);

    pw::CCueCollection catalogue;
    reader.ReadCCueCollection(&catalogue);
    checkCatalogue(catalogue);

    CJourneyCollection network;
    reader.ReadCJourneyCollection(&network, catalogue, "NJP", "");
    check(network.nonJourneyPointsCount == 1 && network.journeys.front().id == "NJP",
          "the non-journey points are not first");
    checkReadJourney(network.journeys.front(), catalogue);
    for (auto journey = network.journeys.begin() + 1; journey != network.journeys.end(); ++journey) {
        check(journey->linkNodes.empty(), "the collection reader read a journey's link nodes");
        reader.ReadCJourney(&*journey, catalogue);
        checkReadJourney(*journey, catalogue);
    }
    const pw::CCueSubset global = catalogue.toCueSubsetGlobal();
    for (const auto& element : global.cues) {
        check(element.second.cue->type == pw::CCue::Global, "a global cue is not global");
    }

    // The journey list restricted to one id, and that journey's graph and dump. Which rows the id
    // selects is the database's business: an empty id selects them all, and a column's collation or
    // affinity may make other texts equal to it.
    if (network.journeys.size() > 1) {
        const std::string firstId = network.journeys[1].id;
        CJourneyCollection single;
        reader.ReadCJourneyCollection(&single, catalogue, "", firstId);
        check(single.nonJourneyPointsCount == 0, "a journey list without non-journey points has them");
        CGraphSorter graph = reader.GetCGraphSorter(firstId);
        const std::vector<CGraphSorter::CData*> order = graph.Sort();
        check(!order.empty() && order.front()->nodeId == "ROOT", "a sorted graph does not start at ROOT");
        std::ostringstream dump;
        graph.write_to_stream(dump);
    }

    const std::size_t journeys = network.journeys.size();
    const std::size_t stride = journeys <= madeCurrentInFull ? 1 : journeys / madeCurrentInFull;
    for (std::size_t index = 0; index < journeys; ++index) {
        CJourney& journey = network.journeys[index];
        runJourney(journey);
        if ((index % stride == 0 || index + 1 == journeys) &&
            network.SetCurrent(journey.id) != network.journeys.end()) {
            network.SetActiveFromCurrent();
            check(network.active == network.current, "activating the current journey failed");
        }
    }
    network.SetActiveFromNonJourneyPoints();
    check(network.active == network.journeys.begin(), "the non-journey points cannot be activated");

    // Copies and moves keep every position on the same index.
    const CJourneyCollection copy(network);
    check(positionsOf(copy) == positionsOf(network), "a copy moved a position");
    const std::vector<long> before = positionsOf(network);
    CJourneyCollection moved(std::move(network));
    check(positionsOf(moved) == before, "a move moved a position");
}

} // namespace pwfuzz
