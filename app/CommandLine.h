#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

// The program's command line, read before anything else is made: no display,
// no settings and no sound are needed to answer it. Clavitone's own options
// are --help (-h) and --version; Qt's own (-platform, -style, -display, ...)
// are let through, with their values, for QApplication to take.
struct CommandLine {
    enum class Action {
        Start,   // no option of ours: the program starts
        Help,    // --help: the usage, exit status 0
        Version, // --version: "Clavitone <version>", exit status 0
        Mistake, // an option we do not know, or one without its value: exit status 2
    };
    Action action = Action::Start;
    // For a mistake, the argument at fault as it was typed.
    std::string argument;
    // For a mistake: the option needs a value that is missing.
    bool missingValue = false;
};

// Reads the arguments after the program's name. The first of --help,
// --version or a mistake decides; the value of one of Qt's options is never
// taken for an option.
CommandLine readCommandLine(const std::vector<std::string_view>& arguments);
CommandLine readCommandLine(int argc, const char* const* argv);

// Answers a command line that does not start the program: the usage or the
// version on `out`, a mistake in one line on `error`. Returns the exit status.
int answerCommandLine(const CommandLine& line, std::string_view version, std::ostream& out,
                      std::ostream& error);
