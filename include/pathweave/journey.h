#pragma once

#include <pathweave/cue.h>
#include <pathweave/export.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pw {

/// A geographic position, in the units stored in the network database (the library converts
/// nothing).
class PATHWEAVE_EXPORT CPoint {
public:
    double latitude = 0.0;  ///< latitude, as stored
    double longitude = 0.0; ///< longitude, as stored
};

/// A latitude/longitude box, the geo-fence of a link node: the plain rectangle between its minima
/// and maxima, edges included, with no wrap-around of longitude. Whoever builds a box sets `valid`;
/// the journey reader sets it only when each minimum is strictly below its maximum, so a box of
/// zeros (a database without boxes) or of zero width or height is not valid.
class PATHWEAVE_EXPORT CBounds {
public:
    /// Whether the box is usable; a box that is not valid contains every point.
    bool valid = false;
    double latMin = 0.0;  ///< lowest latitude inside the box
    double longMin = 0.0; ///< lowest longitude inside the box
    double latMax = 0.0;  ///< highest latitude inside the box
    double longMax = 0.0; ///< highest longitude inside the box
};

/// One geo-fenced place on a journey: a named point, its box, its distance along the journey, its
/// cues and its transition cue. `transitionCue` and the cues of `cues` point into the cue
/// catalogue, which must outlive the node; copies share those cues and carry their own states.
class PATHWEAVE_EXPORT CLinkNode {
public:
    /// Takes every argument unchanged into the field of the same role, with `nodeState` 0. Nothing
    /// is checked: an empty id, a null cue, an empty subset or an invalid box are all kept.
    CLinkNode(const std::string& nodeId, const CPoint& nodePoint, double nodeDistance,
              const CCueSubset& nodeCues, const CCue* nodeTransitionCue, const CBounds& nodeBounds);

    /// Whether `position` lies inside the node's box, all four edges included. A box that is not
    /// valid contains every point; a NaN coordinate is outside every valid box, and so is every
    /// point when a minimum of a valid box exceeds its maximum.
    bool WithinBounds(const CPoint& position) const;

    /// Clears the state flag of every cue of the node and sets `nodeState` to 0; nothing else
    /// changes.
    void reset();

    /// The node's identifier (the database's link node id), compared byte-wise.
    std::string id;
    /// The node's position.
    CPoint point;
    /// The distance along the journey from its first node; 0.0 where the database has no
    /// distances.
    double distance;
    /// The cues that apply at the node, each with its state flag.
    CCueSubset cues;
    /// The cue to perform on reaching the node: the last entry-transition cue among `cues` in name
    /// order, else the journey's link transition cue; may be null.
    const CCue* transitionCue;
    /// The host's own state of the node: 0 after construction and after `reset`, and never set to
    /// anything else by the library; copies carry it.
    int32_t nodeState;
    /// The node's geo-fence.
    CBounds bounds;
};

namespace detail {

/// Internal to the library, not for hosts: the three positions (`current`, `active`, `selected`)
/// of an owner, a journey or the collection, as indices into the vector they point into. A copy or
/// a move takes them before the vector moves and sets its own positions on the same indices of its
/// own vector; none, the vector's end(), is the index equal to the size and so stays none.
template <typename Owner, typename Element> class PositionIndices {
public:
    PositionIndices(const Owner& owner, const std::vector<Element>& elements)
        : currentIndex(owner.current - elements.begin()), activeIndex(owner.active - elements.begin()),
          selectedIndex(owner.selected - elements.begin()) {}

    void applyTo(Owner& owner, std::vector<Element>& elements) const {
        owner.current = elements.begin() + currentIndex;
        owner.active = elements.begin() + activeIndex;
        owner.selected = elements.begin() + selectedIndex;
    }

private:
    std::ptrdiff_t currentIndex;
    std::ptrdiff_t activeIndex;
    std::ptrdiff_t selectedIndex;
};

} // namespace detail

/// A journey: its link nodes in journey order, its own cues, three transition cues and three
/// positions into its link nodes. A position is an iterator of `linkNodes`; none is
/// `linkNodes.end()`, which in a journey without link nodes is also the first node's position.
/// The cue pointers point into the cue catalogue, which must outlive the journey.
///
/// Copying or moving a journey puts the new journey's positions on its own link nodes at the same
/// places as in the source, and none stays none; a journey moved from has no link nodes and no
/// positions.
class PATHWEAVE_EXPORT CJourney {
public:
    /// How the journey is run, from its "IsRandom" and "IsCircular" attributes.
    enum JourneyOrder : int32_t { Standard = 0, Circular = 1, Random = 2 };

    using LinkNodes = std::vector<CLinkNode>;

    /// A journey without link nodes: copies of the id and the subset, the three cues unchanged,
    /// every position none, `linkDistances` false and `order` Standard. Nothing is checked.
    CJourney(const std::string& journeyId, const CCueSubset& journeyCues, const CCue* journeyEntryCue,
             const CCue* journeyExitCue, const CCue* journeyLinkTransitionCue);

    CJourney(const CJourney& other);
    CJourney(CJourney&& other) noexcept;
    CJourney& operator=(const CJourney& other);
    CJourney& operator=(CJourney&& other) noexcept;
    ~CJourney() = default;

    /// The first link node, from the start, whose id equals `linkNodeId` byte for byte; none if
    /// there is no such node.
    LinkNodes::iterator find(const std::string& linkNodeId);

    /// Makes the first node with id `linkNodeId` current and selected (`active` stays) and logs
    /// at level 2 "pw::CJourney::SetCurrent: Changing to: <journey id>:<node id>", every time, even
    /// when the node is current already. Returns the node, or none when the journey has no such
    /// node: then nothing changes and it logs at level 8
    /// "pw::CJourney::SetCurrent: Link Node not found: <journey id>:<node id>".
    LinkNodes::iterator SetCurrent(const std::string& linkNodeId);

    /// Clears the state flag of every cue of the journey, puts `current`, `active` and `selected`
    /// on the first link node (none without link nodes) and resets every link node, first to last.
    void reset();

    /// Whether the link nodes carry distances: true for two nodes or fewer, else false exactly when
    /// a node from the third on has a distance of exactly 0.0. The first two nodes are not looked
    /// at: a journey read from the database starts with two nodes at distance 0.
    bool hasLinkDistances() const;

    /// Destroys every link node and sets the positions to none; the id, cues, cue pointers,
    /// `linkDistances` and `order` stay.
    void clear();

    /// Appends a link node made from the arguments (see CLinkNode) and sets the positions to none.
    /// A node whose id is taken already is appended too, but `find` reaches only the first. If
    /// storage cannot be had, the allocation failure propagates and the journey is unchanged.
    void insert(const std::string& nodeId, const CPoint& nodePoint, double nodeDistance,
                const CCueSubset& nodeCues, const CCue* nodeTransitionCue, const CBounds& nodeBounds);

    /// The number of link nodes whose box is valid.
    unsigned CountLinkNodesWithValidBounds() const;

    /// The link nodes in journey order.
    LinkNodes linkNodes;
    /// The journey's identifier, compared byte-wise.
    std::string id;
    /// The journey's own cues, each with its state flag.
    CCueSubset cues;
    /// The cue to perform on entering the journey; may be null.
    const CCue* entryCue;
    /// The cue to perform on leaving the journey; may be null.
    const CCue* exitCue;
    /// The transition cue that the reader gives to every link node without an entry-transition cue
    /// of its own; may be null.
    const CCue* linkTransitionCue;
    /// The current link node, which the host moves with `SetCurrent`; none when there is none.
    LinkNodes::iterator current;
    /// The active link node: the current one at the time the collection last activated the journey;
    /// none when there is none. The library never reads it.
    LinkNodes::iterator active;
    /// Set with `current` by every operation of the library; none when there is none. The library
    /// never reads it.
    LinkNodes::iterator selected;
    /// Whether the link nodes carry distances: false after construction; the reader stores
    /// `hasLinkDistances()` here.
    bool linkDistances;
    /// How the journey is run: Standard after construction; set by the reader.
    JourneyOrder order;
};

/// Every journey of the network, owned by value, and three positions into them. A position is an
/// iterator of `journeys`; none is `journeys.end()`. When present, the non-journey points (a
/// pseudo-journey holding the places that belong to no journey) come first and are never found by
/// journey id.
///
/// Appending a journey may move every journey to new storage; each journey's positions still name
/// the same link nodes afterwards. Copying or moving a collection puts the new collection's
/// positions on its own journeys at the same places, and none stays none; a collection moved from
/// is empty.
class PATHWEAVE_EXPORT CJourneyCollection {
public:
    using Journeys = std::vector<CJourney>;

    /// An empty collection: every position none, `nonJourneyPointsCount` 0.
    CJourneyCollection();

    CJourneyCollection(const CJourneyCollection& other);
    CJourneyCollection(CJourneyCollection&& other) noexcept;
    CJourneyCollection& operator=(const CJourneyCollection& other);
    CJourneyCollection& operator=(CJourneyCollection&& other) noexcept;
    ~CJourneyCollection() = default;

    /// The first journey, from the start but leaving out the non-journey points, whose id equals
    /// `journeyId` byte for byte; none if there is no such journey.
    Journeys::iterator find(const std::string& journeyId);

    /// Makes the journey `journeyId` current and selected, puts its current and selected link node
    /// on its first node (none without link nodes) and logs at level 2
    /// "pw::CJourneyCollection::SetCurrent: Changing to journey ID: <id> name:<id>". Returns that
    /// journey, or none:
    /// - when it is current already: nothing changes, and it logs at level 8
    ///   "pw::CJourneyCollection::SetCurrent: Already on journey with ID: <id>";
    /// - when no journey has the id: `current` and `selected` become none (`active` stays), and it
    ///   logs at level 8 "pw::CJourneyCollection::SetCurrent: journey ID not found: <id>".
    Journeys::iterator SetCurrent(const std::string& journeyId);

    /// The non-journey points (the first journey) when the collection has them, else none.
    Journeys::iterator GetNonJourneyPoints();
    /// The non-journey points (the first journey) when the collection has them, else none.
    Journeys::const_iterator GetNonJourneyPoints() const;

    /// Sets `active` and `selected` to `current`, and makes that journey's current link node its
    /// active one too. Without a current journey, `active` and `selected` become none.
    void SetActiveFromCurrent();

    /// Sets `active` and `selected` to the non-journey points, and makes their current link node
    /// their active one too. Without non-journey points, `active` and `selected` become none.
    void SetActiveFromNonJourneyPoints();

    /// Destroys every journey, sets every position to none and `nonJourneyPointsCount` to 0.
    void clear();

    /// Appends a journey made from the arguments (see CJourney), without link nodes, even when a
    /// journey of that id is held already (`find` reaches only the first). Then every position of
    /// the collection is none, and every journey's current and selected link node is its first
    /// node; each journey's active link node stays on its node. If storage cannot be had, the
    /// allocation failure propagates and the collection, its positions and its journeys are
    /// unchanged. Setting every journey's positions takes time in proportion to the journeys held;
    /// the collection reader appends its journeys without that cost.
    void insert(const std::string& journeyId, const CCueSubset& journeyCues, const CCue* journeyEntryCue,
                const CCue* journeyExitCue, const CCue* journeyLinkTransitionCue);

    /// Creates the non-journey points with id `nonJourneyPointsId` (any id, the empty one too), no
    /// cues and null cue pointers, as the first journey, and sets `nonJourneyPointsCount` to 1.
    /// Only an empty collection takes them: otherwise nothing changes and it logs at level 8
    /// "pw::CJourneyCollection::SetNonJourneyPoints: preconditions".
    void SetNonJourneyPoints(const std::string& nonJourneyPointsId);

    /// The non-journey points first when present, then the journeys in the order of `insert`.
    Journeys journeys;
    /// The current journey, chosen by `SetCurrent`; never the non-journey points; none when there
    /// is none.
    Journeys::iterator current;
    /// The active journey: the current one at the last `SetActiveFromCurrent`, or the non-journey
    /// points; none when there is none.
    Journeys::iterator active;
    /// Follows whichever of `current` and `active` was set last; none when there is none.
    Journeys::iterator selected;
    /// 1 while the first journey is the non-journey points, else 0.
    uint32_t nonJourneyPointsCount;
};

} // namespace pw
