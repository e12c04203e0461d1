// pathweave: see a network database the way libPathweave sees it, and find what is wrong with it.

#include "tool.h"

#include <CLI/CLI.hpp>
#include <cdebug/CDebug.h>

#include <exception>
#include <iostream>

namespace pwtool {

void addFormatOption(CLI::App& command, Format& format) {
    command.add_option("--format", format, "Output format: text or json")
        ->transform(CLI::CheckedTransformer(
            std::map<std::string, Format>{{"text", Format::Text}, {"json", Format::Json}}))
        ->default_str("text");
}

} // namespace pwtool

int main(int argc, char** argv) {
    CLI::App app("Shows a transport network database the way libPathweave loads it, and checks it.",
                 "pathweave");
    app.set_version_flag("--version", std::string("pathweave ") + PATHWEAVE_VERSION);
    app.require_subcommand(1);
    int logLevel = 16;
    app.add_option("--log-level", logLevel,
                   "Write the library's debug lines of this level and above to standard error")
        ->check(CLI::Range(0, 1 << 20))
        ->capture_default_str();

    pwtool::Command command;
    pwtool::addDemoCommand(app, command);
    pwtool::addSampleCommand(app, command);
    pwtool::addInfoCommand(app, command);
    pwtool::addDumpCommand(app, command);
    pwtool::addCheckCommand(app, command);
    pwtool::addIndexCommand(app, command);
    pwtool::addReplayCommand(app, command);
    pwtool::addGeojsonCommand(app, command);
#ifdef PATHWEAVE_GTFS_IMPORT
    pwtool::addImportGtfsCommand(app, command);
#endif
    // Options of the program may also follow the subcommand's name.
    for (CLI::App* subcommand : app.get_subcommands([](CLI::App*) { return true; })) {
        subcommand->fallthrough();
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        return code == 0 ? pwtool::Success : pwtool::UsageError;
    }

    CDebug::SetThreshold(logLevel);
    try {
        return command();
    } catch (const pwtool::ToolError& error) {
        std::cout.flush();
        std::cerr << "pathweave: " << error.what() << '\n';
        return error.code;
    } catch (const std::exception& error) {
        std::cout.flush();
        std::cerr << "pathweave: " << error.what() << '\n';
        return pwtool::Failed;
    }
}
