// bench_track: the journey tracker against the naive per-fix fence test, on simulated drives over the
// sample network and over a dense street, for a grid of reception conditions. For each it prints the
// precision and recall of arrivals, duplicate and missed arrivals, the median arrival delay and the
// nanoseconds per fix, beside a bare WithinBounds pass over the tracker's window measured in the same
// process. `bench_track --sweep` varies each rule around its default: it is how the defaults were
// chosen (docs/tracking.md).

#include "bench_support.h"
#include "gps_simulator.h"

#include <pathweave/persist.h>
#include <pathweave/track/tracker.h>

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using pw::track::Event;
using pw::track::Fix;
using pw::track::Rules;
using pw::track::Tracker;
using pwbench::Reception;
using pwbench::SimulatedDrive;

// A journey to drive, how many laps, and how many drives of it make one row.
struct Course {
    pw::CJourney* journey;
    unsigned laps;
    unsigned drives;
};

struct Network {
    std::string name;
    std::vector<Course> courses;
};

struct Arrival {
    std::size_t node;
    double time;
};

struct Score {
    std::size_t visits = 0, reported = 0, matched = 0, duplicates = 0;
    std::vector<double> delays;

    double precision() const { return reported == 0 ? 1.0 : double(matched) / double(reported); }
    double recall() const { return visits == 0 ? 1.0 : double(matched) / double(visits); }
    double medianDelay() {
        if (delays.empty()) {
            return 0.0;
        }
        std::nth_element(delays.begin(), delays.begin() + std::ptrdiff_t(delays.size() / 2), delays.end());
        return delays[delays.size() / 2];
    }
};

// An arrival counts when it names the right node, once, in order, from one interval before the vehicle
// entered the fence until the visit's report-by time.
void score(const SimulatedDrive& drive, const std::vector<Arrival>& arrivals, double interval, Score& total) {
    std::vector<bool> matchedNodes;
    std::size_t next = 0;
    total.visits += drive.visits.size();
    total.reported += arrivals.size();
    for (const Arrival& arrival : arrivals) {
        std::size_t visit = next;
        while (visit < drive.visits.size() && !(drive.visits[visit].node == arrival.node &&
                                                arrival.time >= drive.visits[visit].enter - interval &&
                                                arrival.time <= drive.visits[visit].reportBy)) {
            ++visit;
        }
        if (matchedNodes.size() <= arrival.node) {
            matchedNodes.resize(arrival.node + 1, false);
        }
        if (visit == drive.visits.size()) {
            total.duplicates += matchedNodes[arrival.node] ? 1 : 0;
            continue;
        }
        ++total.matched;
        total.delays.push_back(arrival.time - drive.visits[visit].enter);
        matchedNodes[arrival.node] = true;
        next = visit + 1;
    }
}

std::vector<Arrival> trackerArrivals(pw::CJourney& journey, const std::vector<Fix>& fixes,
                                     const Rules& rules) {
    std::vector<Arrival> arrivals;
    Tracker tracker(journey, rules);
    for (const Fix& fix : fixes) {
        for (const Event& event : tracker.update(fix)) {
            if (event.type == Event::Arrived || event.type == Event::Passed) {
                arrivals.push_back(Arrival{event.node, event.time});
            }
        }
    }
    return arrivals;
}

// What `pathweave replay --naive` does: every fence that a fix is inside and the last fix was not.
std::vector<Arrival> naiveArrivals(const pw::CJourney& journey, const std::vector<Fix>& fixes) {
    std::vector<Arrival> arrivals;
    std::vector<bool> inside(journey.linkNodes.size(), false);
    for (const Fix& fix : fixes) {
        for (std::size_t node = 0; node < journey.linkNodes.size(); ++node) {
            const bool now =
                journey.linkNodes[node].bounds.valid && journey.linkNodes[node].WithinBounds(fix.position);
            if (now && !inside[node]) {
                arrivals.push_back(Arrival{node, fix.time});
            }
            inside[node] = now;
        }
    }
    return arrivals;
}

double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// The best of interleaved repetitions of each measurement, in nanoseconds per fix.
std::vector<double> bestNanosecondsPerFix(const std::vector<std::function<void()>>& measurements,
                                          std::size_t fixes) {
    std::vector<double> best(measurements.size(), 1e300);
    for (int repetition = 0; repetition < 7; ++repetition) {
        for (std::size_t which = 0; which < measurements.size(); ++which) {
            const double start = cpuSeconds();
            measurements[which]();
            best[which] = std::min(best[which], (cpuSeconds() - start) * 1e9 / double(fixes));
        }
    }
    return best;
}

struct Row {
    Score tracker, naive;
    double trackerNs = 0.0, naiveNs = 0.0, windowNs = 0.0;
};

struct Drive {
    Course course;
    SimulatedDrive drive;
};

std::vector<Drive> simulateAll(const Network& network, const Reception& reception) {
    std::vector<Drive> drives;
    std::uint64_t seed = 1;
    for (const Course& course : network.courses) {
        const pwbench::Route route = pwbench::routeAlongJourney(*course.journey, course.laps);
        for (unsigned drive = 0; drive < course.drives; ++drive) {
            drives.push_back(
                Drive{course, pwbench::simulate(route, *course.journey, pwbench::Driving(), reception,
                                                seed++ * 7919 + std::uint64_t(reception.jitter))});
        }
    }
    return drives;
}

Row measure(const Network& network, const Reception& reception, const Rules& rules, bool timed) {
    Row row;
    const std::vector<Drive> drives = simulateAll(network, reception);
    std::size_t fixes = 0;
    for (const Drive& drive : drives) {
        score(drive.drive, trackerArrivals(*drive.course.journey, drive.drive.fixes, rules),
              reception.interval, row.tracker);
        score(drive.drive, naiveArrivals(*drive.course.journey, drive.drive.fixes), reception.interval,
              row.naive);
        fixes += drive.drive.fixes.size();
    }
    if (!timed) {
        return row;
    }
    std::size_t sink = 0;
    const auto runTracker = [&] {
        for (const Drive& drive : drives) {
            Tracker tracker(*drive.course.journey, rules);
            for (const Fix& fix : drive.drive.fixes) {
                sink += tracker.update(fix).size();
            }
        }
    };
    const auto runNaive = [&] {
        for (const Drive& drive : drives) {
            sink += naiveArrivals(*drive.course.journey, drive.drive.fixes).size();
        }
    };
    // The same number of WithinBounds tests per fix as the tracker's window holds, sliding along. A
    // random journey's window is the whole journey: any node may come next.
    const auto runWindow = [&] {
        for (const Drive& drive : drives) {
            const auto& nodes = drive.course.journey->linkNodes;
            const bool random = drive.course.journey->order == pw::CJourney::Random;
            const std::size_t window =
                std::min<std::size_t>(random ? nodes.size() : rules.window, nodes.size() - 1);
            std::size_t first = 1;
            for (const Fix& fix : drive.drive.fixes) {
                for (std::size_t node = first; node < first + window; ++node) {
                    sink += nodes[node].WithinBounds(fix.position) ? 1 : 0;
                }
                first = first + window < nodes.size() ? first + 1 : 1;
            }
        }
    };
    const std::vector<double> best = bestNanosecondsPerFix({runTracker, runNaive, runWindow}, fixes);
    row.trackerNs = best[0];
    row.naiveNs = best[1];
    row.windowNs = best[2];
    if (sink == 0) {
        std::puts("");
    }
    return row;
}

std::string percent(double share) {
    char text[16];
    std::snprintf(text, sizeof text, "%.2f%%", share * 100.0);
    return text;
}

struct Condition {
    double jitter, interval;
    bool troubled; // 2% outliers and 30 s dropouts
};

Reception reception(const Condition& condition) {
    Reception reception;
    reception.jitter = condition.jitter;
    reception.interval = condition.interval;
    if (condition.troubled) {
        reception.outlierShare = 0.02;
        reception.dropoutsPerHour = 6.0;
    }
    return reception;
}

void printTable(const std::vector<Network>& networks) {
    std::printf(
        "| network | jitter | interval | outliers, dropouts | method | precision | recall | duplicates | "
        "missed | median delay | ns per fix | / window pass |\n"
        "|---|---|---|---|---|---|---|---|---|---|---|---|\n");
    const Rules rules;
    for (const Network& network : networks) {
        for (const bool troubled : {false, true}) {
            for (const double interval : {1.0, 5.0}) {
                for (const double jitter : {3.0, 10.0, 20.0}) {
                    Row row = measure(network, reception({jitter, interval, troubled}), rules, true);
                    for (int side = 0; side < 2; ++side) {
                        Score& score = side == 0 ? row.tracker : row.naive;
                        const double ns = side == 0 ? row.trackerNs : row.naiveNs;
                        std::printf(
                            "| %s | %g m | %g s | %s | %s | %s | %s | %zu | %zu | %.1f s | %.0f | %.2f |\n",
                            network.name.c_str(), jitter, interval, troubled ? "yes" : "no",
                            side == 0 ? "tracker" : "naive", percent(score.precision()).c_str(),
                            percent(score.recall()).c_str(), score.duplicates, score.visits - score.matched,
                            score.medianDelay(), ns, ns / row.windowNs);
                    }
                    std::fflush(stdout);
                }
            }
        }
    }
}

// Each rule over a few values, the others at their defaults: the worse of precision and recall on the
// two target conditions, over both networks.
void sweep(const std::vector<Network>& networks) {
    struct Knob {
        const char* name;
        std::function<void(Rules&, double)> set;
        std::vector<double> values;
    };
    const std::vector<Knob> knobs = {
        {"entryFixes", [](Rules& r, double v) { r.entryFixes = unsigned(v); }, {1, 2, 3, 4}},
        {"entryTime", [](Rules& r, double v) { r.entryTime = v; }, {1, 3, 5, 10}},
        {"exitMargin", [](Rules& r, double v) { r.exitMargin = v; }, {0, 5, 15, 30}},
        {"exitTime", [](Rules& r, double v) { r.exitTime = v; }, {0, 3, 10}},
        {"window", [](Rules& r, double v) { r.window = unsigned(v); }, {1, 2, 4, 8}},
        {"maxAccuracy", [](Rules& r, double v) { r.maxAccuracy = v; }, {30, 50, 100}},
        {"maxSpeed", [](Rules& r, double v) { r.maxSpeed = v; }, {20, 30, 50}},
        {"jumpAllowance", [](Rules& r, double v) { r.jumpAllowance = v; }, {20, 40, 80}},
    };
    const Condition targets[] = {{10.0, 1.0, true}, {20.0, 5.0, true}};
    for (const Knob& knob : knobs) {
        for (const double value : knob.values) {
            Rules rules;
            knob.set(rules, value);
            std::printf("%-14s %5g", knob.name, value);
            for (const Condition& condition : targets) {
                for (const Network& network : networks) {
                    const Row row = measure(network, reception(condition), rules, false);
                    std::printf("  %s/%s", percent(row.tracker.precision()).c_str(),
                                percent(row.tracker.recall()).c_str());
                }
            }
            std::printf("\n");
            std::fflush(stdout);
        }
    }
}

std::string readFile(const std::string& path) {
    std::ifstream file(path);
    if (!file) {
        throw std::runtime_error("cannot read " + path);
    }
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The sample network in a temporary database file.
std::string sampleDatabase() {
    char path[] = "/tmp/pathweave-track-bench-XXXXXX";
    const int descriptor = mkstemp(path);
    if (descriptor < 0) {
        throw std::runtime_error("cannot make a temporary file");
    }
    close(descriptor);
    sqlite3* database = nullptr;
    const std::string sql = readFile(PATHWEAVE_SAMPLE_NETWORK_SQL);
    if (sqlite3_open(path, &database) != SQLITE_OK ||
        sqlite3_exec(database, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
        sqlite3_close(database);
        throw std::runtime_error("cannot write the sample network");
    }
    sqlite3_close(database);
    return path;
}

} // namespace

int main(int argc, char** argv) {
    const std::string path = sampleDatabase();
    Csqlite database(path);
    pwbench::Model sample;
    pwbench::load(database, sample);
    std::remove(path.c_str());

    const auto journey = [&sample](const char* id) { return &*sample.journeys.find(id); };
    pw::CJourney dense = pwbench::denseStreetJourney(200, 42);
    const std::vector<Network> networks = {
        {"sample", {{journey("MARKET"), 1, 60}, {journey("HARBOUR"), 3, 60}, {journey("HERITAGE"), 1, 60}}},
        {"dense street", {{&dense, 1, 10}}},
    };
    if (argc > 1 && std::string(argv[1]) == "--sweep") {
        sweep(networks);
    } else {
        printTable(networks);
    }
    return 0;
}
