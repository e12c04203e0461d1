// Writes a generated GTFS feed, the one bench_import measures, for a peer to import.
//
//   pathweave-generate-gtfs OUTPUT.zip [--stop-times N] [--unsorted] [--seed N]

#include "gtfs_feed_generator.h"

#include <cstring>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    pwbench::GtfsFeedSpec spec;
    std::string output;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--stop-times" && i + 1 < argc) {
            spec.stopTimes = std::stoull(argv[++i]);
        } else if (argument == "--seed" && i + 1 < argc) {
            spec.seed = std::stoull(argv[++i]);
        } else if (argument == "--unsorted") {
            spec.unsorted = true;
        } else if (output.empty() && argument.rfind("--", 0) != 0) {
            output = argument;
        } else {
            output.clear();
            break;
        }
    }
    if (output.empty()) {
        std::cerr << "usage: pathweave-generate-gtfs OUTPUT.zip [--stop-times N] [--unsorted] [--seed N]\n";
        return 2;
    }
    try {
        pwbench::writeGtfsFeed(output, spec);
    } catch (const std::exception& error) {
        std::cerr << "pathweave-generate-gtfs: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
