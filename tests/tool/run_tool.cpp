#include "run_tool.h"

#include "support/temp_database.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace pwtest {

ToolRun runTool(const std::vector<std::string>& arguments, const std::string& input,
                const std::string& outTo) {
    const TempDatabase scratch("");
    const std::string inPath = scratch.folder() + "/in";
    const std::string outPath = outTo.empty() ? scratch.folder() + "/out" : outTo;
    const std::string errPath = scratch.folder() + "/err";
    std::ofstream(inPath, std::ios::binary) << input;

    // The command that starts the program: the emulator and its arguments first, on a cross build.
    std::vector<std::string> command;
    std::istringstream list(PATHWEAVE_TOOL_COMMAND);
    for (std::string word; std::getline(list, word, '|');) {
        if (!word.empty()) {
            command.push_back(word);
        }
    }
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : command) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    ToolRun run;
    const pid_t child = fork();
    if (child == 0) {
        const int in = open(inPath.c_str(), O_RDONLY);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) {
            _exit(126);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) {
        ADD_FAILURE() << "cannot run " << command[0];
        return run;
    }
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = outTo.empty() ? readFile(outPath) : "";
    run.err = readFile(errPath);
    return run;
}

void PrintTo(const ToolRun& run, std::ostream* out) {
    *out << "exit " << run.exitCode << ", out \"" << run.out << "\", err \"" << run.err << '"';
}

} // namespace pwtest
