// Writes a generated network database, for trying the library on a network of any size:
//   pathweave-generate-network OUTPUT [--size S|M|L] [--journeys N] [--link-nodes N]
//                              [--non-journey-points N] [--shared-stops N] [--seed N] [--mixed-symbols]
//                              [--indexed]

#include "network_generator.h"

#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>

namespace {

int usage() {
    std::cerr << "usage: pathweave-generate-network OUTPUT [--size S|M|L] [--journeys N] [--link-nodes N]\n"
                 "                                  [--non-journey-points N] [--shared-stops N] [--seed N]\n"
                 "                                  [--mixed-symbols] [--indexed]\n";
    return 2;
}

unsigned long number(const std::string& text) {
    std::size_t used = 0;
    const unsigned long value = std::stoul(text, &used);
    if (used != text.size()) {
        throw std::invalid_argument(text);
    }
    return value;
}

} // namespace

int main(int argc, char** argv) {
    std::string output;
    pwbench::NetworkSpec spec = pwbench::sizeS();
    bool indexed = false;
    try {
        for (int i = 1; i < argc; ++i) {
            const std::string argument = argv[i];
            const bool hasValue = i + 1 < argc;
            if (argument == "--size" && hasValue) {
                const std::string size = argv[++i];
                spec = size == "L" ? pwbench::sizeL() : size == "M" ? pwbench::sizeM() : pwbench::sizeS();
                if (size != "S" && size != "M" && size != "L") {
                    return usage();
                }
            } else if (argument == "--journeys" && hasValue) {
                spec.journeys = static_cast<unsigned>(number(argv[++i]));
            } else if (argument == "--link-nodes" && hasValue) {
                spec.linkNodesPerJourney = static_cast<unsigned>(number(argv[++i]));
            } else if (argument == "--non-journey-points" && hasValue) {
                spec.nonJourneyPoints = static_cast<unsigned>(number(argv[++i]));
            } else if (argument == "--shared-stops" && hasValue) {
                spec.sharedStops = static_cast<unsigned>(number(argv[++i]));
            } else if (argument == "--seed" && hasValue) {
                spec.seed = number(argv[++i]);
            } else if (argument == "--mixed-symbols") {
                spec.mixedSymbols = true;
            } else if (argument == "--indexed") {
                indexed = true;
            } else if (output.empty() && !argument.empty() && argument[0] != '-') {
                output = argument;
            } else {
                return usage();
            }
        }
    } catch (const std::logic_error&) {
        return usage();
    }
    if (output.empty()) {
        return usage();
    }
    try {
        pwbench::writeNetwork(output, spec);
        if (indexed) {
            pwbench::createRecommendedIndexes(output);
        }
    } catch (const std::exception& error) {
        std::cerr << "pathweave-generate-network: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
