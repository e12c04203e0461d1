#pragma once

// The page of `pathweave map`: one HTML file that carries Leaflet, the page's style and script and
// the network's data inline, so that it opens from disk with no network access.

#include "json.h"

#include <iosfwd>
#include <string>

namespace pwtool {

/// The page's parts, embedded at build time: Debian's Leaflet and the files of tools/pathweave/map/.
struct MapAssets {
    static const char* const leafletScript;
    static const char* const leafletStyle;
    static const char* const page;
    static const char* const script;
    static const char* const style;
};

/// Writes the page for `data` (a MapData document) with `title`.
void writeMapPage(std::ostream& out, const std::string& title, const JsonValue& data);

} // namespace pwtool
