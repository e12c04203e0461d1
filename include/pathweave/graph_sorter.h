#pragma once

#include <pathweave/export.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

/// The link graph of one journey: named nodes carrying link-node payloads, one directed edge per
/// link. The journey reader adds a journey's links in any order and then asks for the nodes in
/// travelling order: breadth-first from the nodes that no link enters, taken in name order.
///
/// Node names are byte strings compared exactly. Nodes are never removed and never move, so the
/// pointers that `access` and `Sort` hand out stay valid until the sorter is destroyed.
/// A sorter is filled once, sorted once, read, and destroyed as a whole.
class PATHWEAVE_EXPORT CGraphSorter {
public:
    /// A link node as read from the database: texts and numbers, no meaning attached here.
    class PATHWEAVE_EXPORT CData {
    public:
        /// A payload for `nodeId` with empty texts and every number 0.
        explicit CData(const std::string& id);

        /// Writes "Node:<nodeId> Point:<pointId> Cues:<cues> Distance:<distance>", no line end.
        void write_to_stream(std::ostream& out) const;

        /// The link node's identifier.
        std::string nodeId;
        /// The identifier of the link node's geographic point.
        std::string pointId;
        /// The link node's cue names, comma-separated, as stored.
        std::string cues;
        /// Transit distance of the link that leads into this node; 0 when none is known.
        double distance = 0.0;
        /// Bounding box, minimum latitude.
        double bbLatMin = 0.0;
        /// Bounding box, maximum latitude.
        double bbLatMax = 0.0;
        /// Bounding box, minimum longitude.
        double bbLongMin = 0.0;
        /// Bounding box, maximum longitude.
        double bbLongMax = 0.0;
    };

    /// One node of the graph.
    class PATHWEAVE_EXPORT CDataWrapper {
    public:
        /// A node holding a copy of `payload`, with both flags false and no children.
        explicit CDataWrapper(const CData& payload);

        /// Takes the distance of a link into this node, unless it is 0 (either sign).
        void SetDistance(double value);

        /// Writes "Address:<this> --> <payload> Ptr:<child>,<child>...", no line end.
        void write_to_stream(std::ostream& out) const;

        /// Set when `Sort` queues this node.
        bool visited = false;
        /// Set when a link enters this node.
        bool hasParent = false;
        /// Targets of this node's links in the order they were added, repeats included; not owned.
        std::vector<CDataWrapper*> children;
        /// The node's payload.
        CData data;
    };

    /// An empty graph whose `root` carries the payload "ROOT".
    CGraphSorter();

    // Children point into this sorter's own nodes: a copy would point into the original.
    CGraphSorter(const CGraphSorter&) = delete;
    CGraphSorter& operator=(const CGraphSorter&) = delete;
    /// Moving keeps every node in place; move only before `Sort`, whose result points at `root`.
    CGraphSorter(CGraphSorter&&) = default;
    CGraphSorter& operator=(CGraphSorter&&) = default;

    /// The node named `name`, made from a copy of `payload` if the name is new; an existing
    /// node is returned untouched and `payload` is ignored.
    CDataWrapper* access(const std::string& name, const CData& payload);

    /// Adds a link from `sourceName` to `targetName`, making either node on its first mention.
    /// A non-zero distance in `targetPayload` becomes the target's distance, even for a target
    /// that exists already. Repeated links and links from a node to itself are added as given.
    void Add(const std::string& sourceName, const CData& sourcePayload, const std::string& targetName,
             const CData& targetPayload);

    /// Makes `root`'s children the nodes that no link enters, in name order.
    void findRootNodes();

    /// The payloads in travelling order: `root`'s first, then breadth-first from the start nodes,
    /// each reachable node once at its first discovery. Nodes no start node reaches (a ring that no
    /// link enters, for one) are left out. Call once, after the last `Add`; the pointers live as
    /// long as the sorter.
    std::vector<CData*> Sort();

    /// Writes one line per node, in name order; `root` is not written.
    void write_to_stream(std::ostream& out) const;

    /// Every node by name, in byte-wise name order; `root` is not among them.
    std::map<std::string, CDataWrapper> nodes;
    /// The built-in start node, parent of the start nodes once sorted.
    CDataWrapper root;
};
