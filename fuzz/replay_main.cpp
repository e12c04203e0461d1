// Runs a fuzz target's entry point once per input file without libFuzzer, so that any compiler's build
// replays the corpus, under valgrind and an emulator too. The arguments are files and folders (each
// file of a folder, in name order); without arguments, the folders of PATHWEAVE_FUZZ_CORPUS.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    std::vector<std::string> paths(argv + 1, argv + argc);
    std::istringstream corpus(argc > 1 ? "" : PATHWEAVE_FUZZ_CORPUS);
    for (std::string folder; std::getline(corpus, folder, '|');) {
        paths.push_back(folder);
    }
    std::vector<std::filesystem::path> inputs;
    for (const std::string& path : paths) {
        std::vector<std::filesystem::path> files{path};
        if (std::filesystem::is_directory(path)) {
            files.assign(std::filesystem::directory_iterator(path), {});
            std::sort(files.begin(), files.end());
        }
        inputs.insert(inputs.end(), files.begin(), files.end());
    }
    for (const std::filesystem::path& input : inputs) {
        std::ifstream in(input, std::ios::binary);
        const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.is_open()) {
            std::cerr << argv[0] << ": cannot read " << input.string() << '\n';
            return 1;
        }
        // As libFuzzer does, an empty input is passed as a valid pointer too.
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(data.c_str()), data.size());
    }
    std::cout << argv[0] << ": replayed " << inputs.size() << " inputs\n";
    return inputs.empty() ? 1 : 0;
}
