// pathweave: see a network database the way libPathweave sees it, and find what is wrong with it.

#include "tool.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <iostream>

namespace pwtool {

ProgramOptions programOptions;

namespace {

const char* const levelsAndExitCodes =
    "Log levels: 2 progress (each journey, link and node read), 8 rejected names and data,\n"
    "16 database failures (the default); 17 and up: none.\n\n"
    "Exit codes:\n"
    "  0  success\n"
    "  1  check found errors, replay --strict found a stop missed, repeated or out of order,\n"
    "     or the command failed (a missing track file, an output that cannot be written, an\n"
    "     unknown journey)\n"
    "  2  the command line is wrong\n"
    "  3  the database cannot be opened or read as a network database (a missing one too)\n";

void addProgramOptions(CLI::App& app) {
    app.add_option("--log-level", programOptions.logLevel,
                   "Pass the library's log lines of level N and up to standard error (see below)")
        ->type_name("N");
    app.add_flag("-q,--quiet", programOptions.quiet,
                 "No progress bars on standard error, even on a terminal");
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch; });
    return text;
}

// The number of single-character edits that turn `a` into `b`.
std::size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

std::string unknownCommand(const CLI::App& app, const std::string& word) {
    std::string message = "unknown command '" + word + "'";
    std::size_t best = 3;
    std::string nearest;
    for (const CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; })) {
        const std::size_t distance = editDistance(word, command->get_name());
        if (distance < best) {
            best = distance;
            nearest = command->get_name();
        }
    }
    return nearest.empty() ? message : message + " (did you mean '" + nearest + "'?)";
}

// What is left over on a command line that parsed: an unknown option or an extra word, before
// the command's name or after it.
std::string leftOver(const CLI::App& app, const CLI::App* command) {
    for (const CLI::App* part : {&app, command}) {
        const std::vector<std::string> rest =
            part != nullptr ? part->remaining() : std::vector<std::string>();
        if (rest.empty()) {
            continue;
        }
        const std::string& word = rest.front();
        if (word.size() > 1 && word[0] == '-') {
            return "unknown option '" + word.substr(0, word.find('=')) + "'";
        }
        return part == command ? "unexpected argument '" + word + "'" : unknownCommand(app, word);
    }
    return "";
}

// The tool's messages start in lower case; CLI11's own start with a capital.
int usageError(std::string message, const CLI::App* command) {
    if (message.size() > 1 && message[0] >= 'A' && message[0] <= 'Z' && message[1] >= 'a' &&
        message[1] <= 'z') {
        message[0] = static_cast<char>(message[0] - 'A' + 'a');
    }
    std::cerr << "pathweave: " << message << "\nRun 'pathweave help"
              << (command != nullptr ? " " + command->get_name() : std::string()) << "' for usage.\n";
    return UsageError;
}

// Help and the version go to standard output too: a write error there is a failure.
int printed(int code) {
    if (std::cout.flush() && std::fflush(stdout) == 0) {
        return code;
    }
    std::cerr << "pathweave: cannot write the output: " << errorText(errno != 0 ? errno : EIO) << '\n';
    return Failed;
}

} // namespace

CLI::App* addCommand(CLI::App& app, const std::string& name, const std::string& description,
                     const std::string& examples) {
    CLI::App* command = app.add_subcommand(name, description)->group("Commands");
    addProgramOptions(*command);
    command->allow_extras();
    std::string footer = "\nExamples:\n";
    for (std::size_t start = 0; start < examples.size();) {
        const std::size_t end = std::min(examples.find('\n', start), examples.size());
        footer += "  " + examples.substr(start, end - start) + '\n';
        start = end + 1;
    }
    command->footer(footer + '\n' + levelsAndExitCodes);
    return command;
}

void addDatabaseArgument(CLI::App& command, std::string& path) {
    command.add_option("DB", path, "The network database (an SQLite file)")->required()->type_name("");
}

void addFormatOption(CLI::App& command, Format& format) {
    command
        .add_option_function<std::string>(
            "--format",
            [&format](const std::string& value) {
                const std::string name = lowered(value);
                if (name != "text" && name != "json") {
                    throw CLI::ValidationError("--format must be text or json");
                }
                format = name == "json" ? Format::Json : Format::Text;
            },
            "Output format: text (the default) or json")
        ->type_name("text|json");
}

void addOutputOption(CLI::App& command, std::string& path) {
    path = "-";
    command.add_option("-o,--output", path, "Write to FILE instead of standard output (-)")
        ->type_name("FILE");
}

void addJourneyOption(CLI::App& command, std::string& journey, bool required) {
    CLI::Option* option =
        command.add_option("--journey", journey, required ? "The journey" : "Only this journey")
            ->type_name("ID");
    if (required) {
        option->required();
    }
}

void addNonJourneyPointsOption(CLI::App& command, std::string& id) {
    command
        .add_option("--non-journey-points", id,
                    "Read the non-journey points stored under this journey id (the sample uses NJP)")
        ->type_name("ID");
}

} // namespace pwtool

int main(int argc, char** argv) {
    using namespace pwtool;
    CLI::App app("Shows a transport network database the way libPathweave loads it, and checks it.",
                 "pathweave");
    app.set_version_flag("--version", std::string("pathweave ") + PATHWEAVE_VERSION);
    app.require_subcommand(0, 1);
    app.allow_extras();
    addProgramOptions(app);
    app.footer(std::string("\nRun 'pathweave help COMMAND' for the options of a command.\n\n") +
               levelsAndExitCodes);
    const auto formatter = app.get_formatter();
    formatter->label("SUBCOMMAND", "COMMAND");
    formatter->column_width(26);

    Command command;
    addDemoCommand(app, command);
    addSampleCommand(app, command);
    addInfoCommand(app, command);
    addDumpCommand(app, command);
    addCheckCommand(app, command);
    addIndexCommand(app, command);
    addReplayCommand(app, command);
    addGeojsonCommand(app, command);
#ifdef PATHWEAVE_GTFS_IMPORT
    addImportGtfsCommand(app, command);
#endif
    addMapCommand(app, command);
    std::string helpTopic;
    CLI::App* help =
        app.add_subcommand("help", "Show the help of the program or of a command")->group("Commands");
    help->add_option("COMMAND", helpTopic, "The command")->type_name("");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& request) {
        return printed(app.exit(request));
    } catch (const CLI::CallForVersion& request) {
        return printed(app.exit(request));
    } catch (const CLI::ParseError& error) {
        const std::vector<CLI::App*> chosen = app.get_subcommands();
        return usageError(error.what(), chosen.empty() ? nullptr : chosen.front());
    }
    const std::vector<CLI::App*> chosen = app.get_subcommands();
    const CLI::App* chosenCommand = chosen.empty() ? nullptr : chosen.front();
    if (const std::string problem = leftOver(app, chosenCommand); !problem.empty()) {
        return usageError(problem, chosenCommand);
    }
    if (chosenCommand == help) {
        if (helpTopic.empty()) {
            std::cout << formatter->make_help(&app, "pathweave", CLI::AppFormatMode::Normal);
            return printed(Success);
        }
        const auto topics =
            app.get_subcommands([&helpTopic](const CLI::App* c) { return c->get_name() == helpTopic; });
        if (topics.empty()) {
            return usageError(unknownCommand(app, helpTopic), nullptr);
        }
        std::cout << topics.front()->help("pathweave");
        return printed(Success);
    }
    if (!command) {
        return usageError("a command is required", nullptr);
    }

    LibraryLog log(programOptions.logLevel);
    try {
        const int code = command();
        log.flush();
        return code;
    } catch (const ToolError& error) {
        std::cout.flush();
        log.flush();
        if (error.code == UsageError) {
            return usageError(error.what(), chosenCommand);
        }
        std::cerr << "pathweave: " << error.what() << '\n';
        return error.code;
    } catch (const std::exception& error) {
        std::cout.flush();
        log.flush();
        std::cerr << "pathweave: " << error.what() << '\n';
        return Failed;
    }
}
