// Runs a fuzz target's entry point once per input file, without libFuzzer, so that a corpus can be
// replayed by any compiler's build, under valgrind and under an emulator. The arguments are files
// and folders (every regular file in a folder, in name order); without arguments, the corpus the
// program was built with.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);

namespace {

std::vector<std::string> defaultCorpus() {
    std::vector<std::string> folders;
#ifdef PATHWEAVE_FUZZ_CORPUS
    // Folders separated by "|".
    const std::string list = PATHWEAVE_FUZZ_CORPUS;
    std::string::size_type start = 0;
    for (auto end = list.find('|'); end != std::string::npos; end = list.find('|', start)) {
        folders.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    folders.push_back(list.substr(start));
#endif
    return folders;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> paths(argv + 1, argv + argc);
    if (paths.empty()) {
        paths = defaultCorpus();
    }
    std::vector<std::filesystem::path> inputs;
    for (const std::string& path : paths) {
        std::error_code error;
        if (std::filesystem::is_directory(path, error)) {
            std::vector<std::filesystem::path> files;
            for (const auto& entry : std::filesystem::directory_iterator(path)) {
                if (entry.is_regular_file()) {
                    files.push_back(entry.path());
                }
            }
            std::sort(files.begin(), files.end());
            inputs.insert(inputs.end(), files.begin(), files.end());
        } else if (std::filesystem::is_regular_file(path, error)) {
            inputs.emplace_back(path);
        } else {
            std::cerr << argv[0] << ": no such file or folder: " << path << '\n';
            return 1;
        }
    }
    if (inputs.empty()) {
        std::cerr << argv[0] << ": no inputs to replay\n";
        return 1;
    }

    std::size_t bytes = 0;
    for (const std::filesystem::path& input : inputs) {
        std::ifstream in(input, std::ios::binary);
        const std::vector<char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.eof() && in.fail()) {
            std::cerr << argv[0] << ": cannot read " << input.string() << '\n';
            return 1;
        }
        // As libFuzzer does, an empty input is passed as a valid pointer too.
        static const char nothing = '\0';
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(data.empty() ? &nothing : data.data()),
                               data.size());
        bytes += data.size();
    }
    std::cout << argv[0] << ": replayed " << inputs.size() << " inputs, " << bytes << " bytes\n";
    return 0;
}
