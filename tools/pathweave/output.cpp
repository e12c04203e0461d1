#include "tool.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <vector>

namespace pwtool {

std::string errorText(int error) {
    std::string text = std::strerror(error);
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z') {
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    }
    return text;
}

Extent extentInMetres(double south, double north, double west, double east) {
    // Metres per degree along a meridian, on a sphere of radius 6,371,008.8 m.
    constexpr double metresPerDegree = 111194.93;
    constexpr double radiansPerDegree = 3.14159265358979323846 / 180.0;
    return {(north - south) * metresPerDegree,
            (east - west) * metresPerDegree * std::cos((south + north) / 2.0 * radiansPerDegree)};
}

std::string formatFixed(double value, int decimals) {
    if (!std::isfinite(value)) {
        return formatNumber(value);
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    // "-0.0" says nothing that "0.0" does not.
    return std::strtod(text, nullptr) == 0.0 && text[0] == '-' ? text + 1 : text;
}

namespace {

[[noreturn]] void cannotWrite(const std::string& path, int error) {
    throw ToolError(Failed, "cannot write '" + path + "': " + errorText(error));
}

} // namespace

std::string makeTemporaryBeside(const std::string& path) {
    std::vector<char> name(path.begin(), path.end());
    for (const char ch : std::string(".XXXXXX")) {
        name.push_back(ch);
    }
    name.push_back('\0');
    const int descriptor = mkstemp(name.data());
    if (descriptor < 0) {
        cannotWrite(path, errno);
    }
    // mkstemp makes the file private; it gets the permissions of any new file instead.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);
    close(descriptor);
    return name.data();
}

Output::Output(const std::string& target) : path(target), out(&std::cout) {
    if (path.empty()) {
        throw ToolError(UsageError,
                        "the output file name is empty: give a file name, or - for standard output");
    }
    if (path == "-") {
        return;
    }
    struct stat status {};
    const bool exists = stat(path.c_str(), &status) == 0;
    if (exists && S_ISDIR(status.st_mode)) {
        throw ToolError(Failed, "cannot write '" + path + "': is a directory");
    }
    // A pipe or a device is written to where it is; only a regular file is replaced whole.
    const bool replace = !exists || S_ISREG(status.st_mode);
    if (replace) {
        temporaryPath = makeTemporaryBeside(path);
    }
    file =
        std::make_unique<std::ofstream>(replace ? temporaryPath : path, std::ios::binary | std::ios::trunc);
    if (!*file) {
        const int error = errno;
        if (replace) {
            std::remove(temporaryPath.c_str());
            temporaryPath.clear();
        }
        cannotWrite(path, error);
    }
    out = file.get();
}

Output::~Output() {
    if (!temporaryPath.empty()) {
        file.reset();
        std::remove(temporaryPath.c_str());
    }
}

void Output::check() {
    if (!*out && failure == 0) {
        failure = errno != 0 ? errno : EIO;
    }
    if (failure != 0) {
        throw ToolError(Failed, "cannot write the output: " + errorText(failure));
    }
}

void Output::finish() {
    check();
    errno = 0;
    out->flush();
    if (file == nullptr && std::fflush(stdout) != 0) {
        out->setstate(std::ios::badbit);
    }
    check();
    if (file != nullptr) {
        static_cast<std::ofstream&>(*file).close();
        check();
        if (!temporaryPath.empty() && std::rename(temporaryPath.c_str(), path.c_str()) != 0) {
            cannotWrite(path, errno);
        }
        temporaryPath.clear();
    }
}

} // namespace pwtool
