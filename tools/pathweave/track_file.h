#pragma once

// GPS tracks for `pathweave replay`: CSV lines of time,latitude,longitude[,accuracy] or the NMEA
// sentences RMC and GGA that receivers emit.

#include <pathweave/track/tracker.h>

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

namespace pwtool {

/// A fix and the line of the track it came from.
struct TrackFix {
    pw::track::Fix fix;
    std::size_t line;
};

/// A line whose fix is left out, and why.
struct LeftOut {
    std::size_t line;
    std::string why;
};

/// The fixes of a track, in order, with the lines left out.
struct Track {
    std::vector<TrackFix> fixes;
    std::vector<LeftOut> leftOut;
};

/// How messages name a track: "track 'NAME'", "standard input" for "-", "the sample track" for "".
std::string trackLabel(const std::string& name);

/// Reads a track: NMEA when its first line that is not blank starts with '$', else CSV, whose
/// first line may be a header. A fix outside the range of latitudes and longitudes, or earlier
/// than the fix before, is left out; so are NMEA sentences with a wrong checksum or without a fix.
/// Throws ToolError(Failed) naming `name` and the line when a CSV line is not a fix.
Track readTrack(std::istream& in, const std::string& name);

/// Reads the track file `path`; throws ToolError(Failed) when it cannot be read.
Track readTrackFile(const std::string& path);

} // namespace pwtool
