#include "track_file.h"

#include "tool.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <optional>
#include <system_error>

namespace pwtool {

namespace {

[[noreturn]] void trackError(const std::string& name, const std::string& why) {
    throw ToolError(Failed, "cannot read " + trackLabel(name) + ": " + why);
}

std::string trimmed(const std::string& text) {
    const char* const blanks = " \t\r";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::vector<std::string> fieldsOf(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t comma = line.find(','); comma != std::string::npos; comma = line.find(',', start)) {
        fields.push_back(trimmed(line.substr(start, comma - start)));
        start = comma + 1;
    }
    fields.push_back(trimmed(line.substr(start)));
    return fields;
}

// The finite number that is all of `field`, if it is one.
std::optional<double> finiteNumber(const std::string& field) {
    double value = 0.0;
    const char* const end = field.data() + field.size();
    const auto result = std::from_chars(field.data(), end, value);
    if (field.empty() || result.ec != std::errc() || result.ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// Whether a line is a header rather than a fix: it begins with a name, not with a number.
bool isHeader(const std::string& line) {
    const auto first = static_cast<unsigned char>(line[0]);
    return std::isalpha(first) != 0 || first == '"' || first == '_';
}

// Adds a fix, or says why it is left out.
class Collector {
public:
    explicit Collector(Track& into) : track(into) {}

    void add(const pw::track::Fix& fix, std::size_t line) {
        const pw::CPoint& at = fix.position;
        if (std::abs(at.latitude) > 90.0 || std::abs(at.longitude) > 180.0) {
            leaveOut(line, "latitude " + formatNumber(at.latitude) + ", longitude " +
                               formatNumber(at.longitude) + " is no position on Earth");
        } else if (!track.fixes.empty() && fix.time < track.fixes.back().fix.time) {
            leaveOut(line, "time " + formatNumber(fix.time) + " is earlier than the fix before it (" +
                               formatNumber(track.fixes.back().fix.time) + ")");
        } else {
            track.fixes.push_back(TrackFix{fix, line});
        }
    }

    void leaveOut(std::size_t line, const std::string& why) { track.leftOut.push_back(LeftOut{line, why}); }

private:
    Track& track;
};

void readCsvLine(const std::string& line, std::size_t number, const std::string& name, Collector& collector) {
    static const char* const columns[] = {"time", "latitude", "longitude", "accuracy"};
    const std::vector<std::string> fields = fieldsOf(line);
    const std::string where = "line " + std::to_string(number);
    if (fields.size() != 3 && fields.size() != 4) {
        trackError(name, where + " has " + std::to_string(fields.size()) +
                             (fields.size() == 1 ? " field" : " fields") +
                             ", not time,latitude,longitude and an optional accuracy");
    }
    double values[4] = {0.0, 0.0, 0.0, std::nan("")};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::optional<double> value = finiteNumber(fields[i]);
        if (!value) {
            trackError(name, where + ": " + columns[i] + " '" + fields[i] + "' is not a finite number");
        }
        values[i] = *value;
    }
    collector.add(pw::track::Fix{values[0], pw::CPoint{values[1], values[2]}, values[3], std::nan("")},
                  number);
}

// NMEA angles are degrees and minutes run together: 4807.038 is 48 degrees 7.038 minutes. A
// latitude is north or south, a longitude east or west; minutes are below 60.
std::optional<double> nmeaAngle(const std::string& value, const std::string& hemisphere, bool latitude) {
    const std::optional<double> number = finiteNumber(value);
    const bool known =
        latitude ? hemisphere == "N" || hemisphere == "S" : hemisphere == "E" || hemisphere == "W";
    if (!number || *number < 0.0 || !known) {
        return std::nullopt;
    }
    const double degrees = std::floor(*number / 100.0);
    const double minutes = *number - degrees * 100.0;
    if (minutes >= 60.0) {
        return std::nullopt;
    }
    const double angle = degrees + minutes / 60.0;
    return hemisphere == "S" || hemisphere == "W" ? -angle : angle;
}

// Seconds of the day of an NMEA time, hhmmss.ss.
std::optional<double> nmeaTime(const std::string& value) {
    const std::optional<double> number = finiteNumber(value);
    if (!number || value.size() < 6) {
        return std::nullopt;
    }
    const double hours = std::floor(*number / 10000.0);
    const double minutes = std::floor((*number - hours * 10000.0) / 100.0);
    return hours * 3600.0 + minutes * 60.0 + (*number - hours * 10000.0 - minutes * 100.0);
}

// Reads NMEA sentences. Times are seconds of the day, counted on past midnight; a receiver sends
// RMC and GGA for the same moment, and the second of the two is the same fix again.
class NmeaReader {
public:
    explicit NmeaReader(Collector& into) : collector(into) {}

    void read(const std::string& sentence, std::size_t line) {
        const std::size_t star = sentence.find('*');
        if (star != std::string::npos && !checksumMatches(sentence, star)) {
            collector.leaveOut(line, "the NMEA checksum does not match");
            return;
        }
        const std::vector<std::string> fields =
            fieldsOf(sentence.substr(1, star == std::string::npos ? std::string::npos : star - 1));
        const std::string type = fields[0].size() == 5 ? fields[0].substr(2) : "";
        const bool rmc = type == "RMC" && fields.size() >= 8;
        const bool gga = type == "GGA" && fields.size() >= 7;
        if (!rmc && !gga) {
            return;
        }
        if ((rmc && fields[2] != "A") || (gga && fields[6] == "0")) {
            collector.leaveOut(line, "the receiver had no fix");
            return;
        }
        const std::optional<double> time = nmeaTime(fields[1]);
        const std::optional<double> latitude = nmeaAngle(fields[rmc ? 3 : 2], fields[rmc ? 4 : 3], true);
        const std::optional<double> longitude = nmeaAngle(fields[rmc ? 5 : 4], fields[rmc ? 6 : 5], false);
        if (!time || !latitude || !longitude) {
            collector.leaveOut(line, "the " + type + " sentence has no time or position");
            return;
        }
        if (*time + day < last - 43200.0) {
            day += 86400.0;
        }
        if (*time + day == last) {
            return;
        }
        last = *time + day;
        pw::track::Fix fix{last, pw::CPoint{*latitude, *longitude}, std::nan(""), std::nan("")};
        if (rmc) {
            // Speed over ground in knots.
            const std::optional<double> knots = finiteNumber(fields[7]);
            fix.speed = knots ? *knots * 1852.0 / 3600.0 : std::nan("");
        }
        collector.add(fix, line);
    }

private:
    static bool checksumMatches(const std::string& sentence, std::size_t star) {
        unsigned sum = 0;
        for (std::size_t i = 1; i < star; ++i) {
            sum ^= static_cast<unsigned char>(sentence[i]);
        }
        unsigned given = 0;
        const char* const end = sentence.data() + sentence.size();
        const auto result = std::from_chars(sentence.data() + star + 1, end, given, 16);
        return result.ec == std::errc() && result.ptr == end && given == sum;
    }

    Collector& collector;
    double day = 0.0;
    double last = -1.0;
};

} // namespace

std::string trackLabel(const std::string& name) {
    return name.empty() ? "the sample track" : name == "-" ? "standard input" : "track '" + name + "'";
}

Track readTrack(std::istream& in, const std::string& name) {
    Track track;
    Collector collector(track);
    NmeaReader nmea(collector);
    std::optional<bool> isNmea;
    std::string line;
    for (std::size_t number = 1; std::getline(in, line); ++number) {
        line = trimmed(line);
        if (line.empty()) {
            continue;
        }
        if (!isNmea) {
            isNmea = line[0] == '$';
            if (!*isNmea && isHeader(line)) {
                continue;
            }
        }
        if (*isNmea) {
            nmea.read(line, number);
        } else {
            readCsvLine(line, number, name, collector);
        }
    }
    if (in.bad()) {
        trackError(name, "the read failed");
    }
    return track;
}

Track readTrackFile(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        trackError(path, "no such file");
    }
    if (status.type() == std::filesystem::file_type::directory) {
        trackError(path, "is a directory");
    }
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
        trackError(path, errorText(errno));
    }
    return readTrack(file, path);
}

} // namespace pwtool
