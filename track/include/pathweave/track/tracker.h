#pragma once

// libPathweaveTrack: turns a stream of noisy GPS fixes into arrivals at the link nodes of one
// journey of a loaded network. Built on libPathweave's public API; link with Pathweave::Track.

#include <pathweave/export.h>
#include <pathweave/journey.h>

#include <cstddef>
#include <limits>
#include <vector>

namespace pw {
namespace track {

/// One GPS fix as the host's receiver gives it. Coordinates are decimal degrees (WGS 84), the units
/// of the network's link nodes and boxes.
struct Fix {
    /// Seconds on any clock of the host's choice; must not run backwards from one fix to the next.
    double time = 0.0;
    /// The position, latitude and longitude in decimal degrees.
    CPoint position;
    /// The receiver's horizontal accuracy estimate in metres; NaN when the receiver gives none.
    double accuracy = std::numeric_limits<double>::quiet_NaN();
    /// The speed over ground in metres per second; NaN when the receiver gives none.
    double speed = std::numeric_limits<double>::quiet_NaN();
};

/// What the tracker found out from a fix. Events about a node name it by its index in the journey's
/// `linkNodes`.
struct Event {
    /// The kinds of event, in the order in which one fix reports them: BackOnJourney or
    /// OffJourney, Departed, Skipped, Arrived or Passed, Completed.
    enum Type {
        /// The vehicle reached the node and is at it: the journey's current node is now this one.
        Arrived,
        /// The vehicle left the node it had arrived at.
        Departed,
        /// The vehicle went through the node between two fixes without stopping: the journey's
        /// current node is now this one, and no Departed follows.
        Passed,
        /// A later node was reached before this one; the current node does not move here.
        Skipped,
        /// The positions have been far from the journey's route for a while.
        OffJourney,
        /// The positions are near the route again after OffJourney.
        BackOnJourney,
        /// The last node of a standard journey, or every node of a random one, has been reached.
        Completed,
    };

    /// Marks an event about no node.
    static constexpr std::size_t noNode = std::numeric_limits<std::size_t>::max();

    /// What happened.
    /// What happened; `update` sets every field of the events it returns.
    Type type;
    /// The time of the fix that confirmed the event, in the fixes' seconds.
    double time;
    /// Index of the node in the journey's `linkNodes`; `noNode` for OffJourney, BackOnJourney and
    /// Completed.
    std::size_t node;
};

/// The rules that turn noisy fixes into events, with the defaults chosen with the track simulator
/// (docs/tracking.md tells how). A node is reached when its entry is confirmed (the vehicle is at
/// it: Arrived), or when the vehicle is seen inside it and then out of it ahead, or when fixes
/// further apart than `entryTime` step from before it to past it through it or its margin (the
/// vehicle went through it: Passed when that fix is beyond the margin, else Arrived).
struct Rules {
    /// Entry into a fence is confirmed after this many fixes inside it...
    unsigned entryFixes = 3;
    /// ...or once the fixes inside it span this many seconds, whichever comes first. A fix beyond
    /// `exitMargin` starts the count again.
    double entryTime = 3.0;
    /// Metres beyond its fence that the vehicle must be before it counts as having left a node.
    double exitMargin = 15.0;
    /// Seconds that the fixes must stay beyond `exitMargin` before a departure is confirmed.
    double exitTime = 3.0;
    /// How many nodes with a fence, from the next expected one on, a standard or circular journey
    /// watches; the work per fix grows with it. At least 1.
    unsigned window = 4;
    /// Fixes whose `accuracy` is worse (larger) than this many metres are ignored.
    double maxAccuracy = 50.0;
    /// Metres per second that the vehicle cannot exceed: a fix further from the last good one than
    /// this speed allows (plus `jumpAllowance`), or that reports a higher speed, is ignored.
    double maxSpeed = 30.0;
    /// Metres of position noise allowed on top of `maxSpeed` between two fixes.
    double jumpAllowance = 40.0;
    /// Metres from the route beyond which the vehicle is off the journey: the route is the straight
    /// legs between the centres of the fences around the next expected one...
    double offJourneyDistance = 150.0;
    /// ...once it has been that far for this many seconds. A random journey has no route.
    double offJourneyTime = 20.0;
};

/// How many fixes the tracker took and ignored, by reason.
struct FixCounts {
    std::size_t used = 0; ///< fixes taken into account
    /// Fixes with a time that is not finite or earlier than the last fix taken, or a position that
    /// is not a finite latitude in [-90, 90] and longitude in [-180, 180], or a negative accuracy
    /// or speed.
    std::size_t invalid = 0;
    std::size_t inaccurate = 0; ///< fixes with an accuracy worse than `Rules::maxAccuracy`
    std::size_t jumps = 0;      ///< fixes the vehicle cannot have reached (see `Rules::maxSpeed`)
};

/// Follows one journey along a stream of GPS fixes and reports arrivals at its link nodes, in the
/// journey's order: each node once per pass, however the fixes flap at a fence's edge, however the
/// fences overlap, and even when the vehicle passes a fence between two fixes.
///
/// Only nodes with a valid box are places (the journey's ROOT node and nodes without a box are
/// never reported). A standard journey goes forward only: a node ahead is reported when it is
/// confirmed, and the nodes between as skipped. A circular journey starts again at its first node
/// after its last. A random journey accepts each node once, in any order.
///
/// The tracker moves the journey's current node with `CJourney::SetCurrent` on each arrival or
/// pass, so the library logs as for a host that did it by hand; it performs no cue, owns no thread
/// and reads no clock. The journey must outlive the tracker and stay where it is (a collection
/// that appends journeys moves them). After construction, a fix costs time in proportion to the
/// window (to the number of nodes, for a random journey) and allocates nothing. Only the constructor
/// and `update` are exported; the rest is inline or private.
///
/// A journey without a node with a valid box reports nothing. After `Completed` no node is reached
/// again, but a `Departed` from the last node still follows. A tracker is not safe for concurrent use,
/// and while it lives nothing else should move the journey's current node: the tracker does not
/// read it back.
class Tracker {
public:
    /// Where the tracker expects the vehicle first.
    enum class Start {
        /// At the journey's first node with a fence.
        FirstNode,
        /// At the nearest node ahead of the first good fix, as after a reboot mid-journey: the node
        /// whose fence holds the fix, else the end of the route leg nearest to it (its start, when the
        /// fix lies before the leg), however far from the route the fix is. A random journey, which
        /// has no route, expects any node either way.
        NearestNodeAhead,
    };

    /// Tracks `journey` under `rules`, from `start`. Rules out of range (a window or an entry count of 0, a
    /// negative or NaN time or distance) are replaced by their defaults.
    PATHWEAVE_EXPORT explicit Tracker(CJourney& journey, const Rules& rules = Rules(),
                                      Start start = Start::FirstNode);

    // Holds a reference to the journey and per-fence state of it; a copy would track twice.
    Tracker(const Tracker&) = delete;
    Tracker& operator=(const Tracker&) = delete;

    /// Takes the next fix and returns the events it confirmed, in order (often none). The list is
    /// valid until the next call.
    PATHWEAVE_EXPORT const std::vector<Event>& update(const Fix& fix);

    /// The rules in force.
    const Rules& rules() const { return in; }
    /// The fixes taken and ignored so far.
    const FixCounts& counts() const { return tally; }
    /// The node that the vehicle is at (arrived and not departed), or `Event::noNode`.
    std::size_t at() const { return atNode; }
    /// Whether the vehicle is off the journey.
    bool offJourney() const { return off; }
    /// Whether the journey is complete (never, for a circular journey).
    bool complete() const { return done; }

private:
    // A node with a valid box: its index, its box and the box grown by the exit margin, its centre in metres
    // east and north of the tracker's origin, and the unit vector of the direction of travel
    // through it.
    struct Fence {
        std::size_t node;
        CBounds box;
        CBounds grown;
        double x;
        double y;
        double towardsX;
        double towardsY;
    };
    // What the fixes have said of a candidate node since the last arrival.
    struct Evidence {
        double firstInside;
        unsigned insideFixes;
    };

    bool accept(const Fix& fix);
    void findStart(const Fix& fix);
    bool scan(const Fix& fix, const Fix& previous, double x, double y, bool sparse);
    void pointTravel();
    std::size_t candidateCount() const;
    std::size_t candidate(std::size_t slot) const;
    void watchDeparture(const Fix& fix);
    void watchRoute(double time, double x, double y);
    void reach(std::size_t fence, bool passed, double time);
    void resetEvidence();
    bool nearRoute(double x, double y, double metres) const;
    double squaredMetresBetween(const CPoint& from, const CPoint& to) const;

    CJourney& journey;
    Rules in;
    Start start;
    std::vector<Fence> fences;
    std::vector<Evidence> evidence;
    std::vector<unsigned char> reached; // of a random journey, by fence
    std::vector<Event> events;
    FixCounts tally;
    double metresPerDegreeLatitude;
    double metresPerDegreeLongitude;
    double originLatitude = 0.0;
    double originLongitude = 0.0;
    bool started = false;
    Fix last;
    std::size_t expected = 0; // fence expected next
    std::size_t atNode = Event::noNode;
    std::size_t atFence = 0;
    double departingSince;
    double farSince;
    bool off = false;
    bool done = false;
};

} // namespace track
} // namespace pw
