#include "pathweave/graph_sorter.h"

#include <cstddef>

CGraphSorter::CData::CData(const std::string& id) : nodeId(id) {}

void CGraphSorter::CData::write_to_stream(std::ostream& out) const {
    out << "Node:" << nodeId << " Point:" << pointId << " Cues:" << cues << " Distance:" << distance;
}

CGraphSorter::CDataWrapper::CDataWrapper(const CData& payload) : data(payload) {}

void CGraphSorter::CDataWrapper::SetDistance(double value) {
    if (value != 0.0) {
        data.distance = value;
    }
}

void CGraphSorter::CDataWrapper::write_to_stream(std::ostream& out) const {
    out << "Address:" << static_cast<const void*>(this) << " --> ";
    data.write_to_stream(out);
    out << " Ptr:";
    const char* separator = "";
    for (const CDataWrapper* child : children) {
        out << separator << static_cast<const void*>(child);
        separator = ",";
    }
}

CGraphSorter::CGraphSorter() : root(CData("ROOT")) {}

CGraphSorter::CDataWrapper* CGraphSorter::access(const std::string& name, const CData& payload) {
    return &nodes.try_emplace(name, payload).first->second;
}

void CGraphSorter::Add(const std::string& sourceName, const CData& sourcePayload,
                       const std::string& targetName, const CData& targetPayload) {
    CDataWrapper* source = access(sourceName, sourcePayload);
    CDataWrapper* target = access(targetName, targetPayload);
    target->SetDistance(targetPayload.distance);
    source->children.push_back(target);
    target->hasParent = true;
}

void CGraphSorter::findRootNodes() {
    root.children.clear();
    for (auto& entry : nodes) {
        if (!entry.second.hasParent) {
            root.children.push_back(&entry.second);
        }
    }
}

std::vector<CGraphSorter::CData*> CGraphSorter::Sort() {
    findRootNodes();
    // Every node is queued at most once, so the queue is a vector read from the front; what has
    // been read is exactly the result.
    std::vector<CDataWrapper*> queue;
    queue.reserve(nodes.size() + 1);
    queue.push_back(&root);
    std::vector<CData*> order;
    order.reserve(nodes.size() + 1);
    for (std::size_t next = 0; next < queue.size(); ++next) {
        CDataWrapper* node = queue[next];
        order.push_back(&node->data);
        for (CDataWrapper* child : node->children) {
            if (!child->visited) {
                child->visited = true;
                queue.push_back(child);
            }
        }
    }
    return order;
}

void CGraphSorter::write_to_stream(std::ostream& out) const {
    for (const auto& entry : nodes) {
        entry.second.write_to_stream(out);
        out << std::endl;
    }
}
