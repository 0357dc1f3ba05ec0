#include "app/CommandLine.h"

#include <QtGlobal>

namespace {

struct QtOption {
    std::string_view name; // without its leading dash
    bool takesValue;
};

// The options QApplication and its platform plugins take out of the command
// line, each also with two dashes, as Qt reads them.
constexpr QtOption QtOptions[] = {
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"qwindowgeometry", true},
    {"geometry", true},
    {"qwindowtitle", true},
    {"title", true},
    {"qwindowicon", true},
    {"icon", true},
    {"reverse", false},
    {"session", true},
    {"style", true},
    {"stylesheet", true},
    {"widgetcount", false},
    {"testability", false},
    {"qmljsdebugger", true},
    {"qdebug", false},
    {"qdevel", false},
    {"display", true},
    {"name", true},
    {"visual", true},
    {"nograb", false},
    {"dograb", false},
};
// Those of them that also take their value after "=".
constexpr std::string_view QtOptionsWithEquals[] = {"style", "stylesheet", "qmljsdebugger"};

const QtOption* findQtOption(std::string_view name) {
    for (const QtOption& option : QtOptions)
        if (option.name == name)
            return &option;
    return nullptr;
}

bool isQtOptionWithValueAfterEquals(std::string_view name) {
    const auto equals = name.find('=');
    if (equals == std::string_view::npos)
        return false;
    for (std::string_view option : QtOptionsWithEquals)
        if (name.substr(0, equals) == option)
            return true;
    return false;
}

CommandLine mistake(std::string_view argument, bool missingValue = false) {
    CommandLine line;
    line.action = CommandLine::Action::Mistake;
    line.argument = std::string(argument);
    line.missingValue = missingValue;
    return line;
}

constexpr std::string_view Usage =
    "Usage: clavitone [--help | --version] [Qt options]\n"
    "Plays MIDI notes with the letter keys of the computer keyboard: each letter\n"
    "from A to Z, or its button in the window, plays one note half a second later\n"
    "with the General MIDI instrument, channel, volume, octave and pan chosen in\n"
    "the window's \"MIDI Settings\" frame.\n"
    "\n"
    "Options:\n"
    "  -h, --help     print this help and exit\n"
    "  --version      print the version and exit\n"
    "Qt's own options, such as -platform <name>, -style <name> or -display <name>,\n"
    "work as in every Qt program.\n"
    "\n"
#ifdef Q_OS_WIN
    "Settings: the registry, under\n"
    "HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Kestrane\\Clavitone\n";
#else
    "Settings: Kestrane.conf, section [Clavitone], in $XDG_CONFIG_HOME, else in\n"
    "~/.config.\n"
    "CLAVITONE_SOUND_DEBUG=1 in the environment shows the sound libraries' messages.\n"
    "More in clavitone(1).\n";
#endif

} // namespace

CommandLine readCommandLine(const std::vector<std::string_view>& arguments) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == "--help" || argument == "-h") {
            CommandLine line;
            line.action = CommandLine::Action::Help;
            return line;
        }
        if (argument == "--version") {
            CommandLine line;
            line.action = CommandLine::Action::Version;
            return line;
        }
        // The program takes no files or other words, and "-" is none of Qt's.
        if (argument.size() < 2 || argument[0] != '-')
            return mistake(argument);
        std::string_view name = argument.substr(1);
        if (name[0] == '-')
            name.remove_prefix(1);
        if (isQtOptionWithValueAfterEquals(name))
            continue;
        const QtOption* option = findQtOption(name);
        if (option == nullptr)
            return mistake(argument);
        if (option->takesValue && ++i == arguments.size())
            return mistake(argument, true);
    }
    return CommandLine{};
}

CommandLine readCommandLine(int argc, const char* const* argv) {
    std::vector<std::string_view> arguments;
    for (int i = 1; i < argc; ++i)
        if (argv[i] != nullptr)
            arguments.emplace_back(argv[i]);
    return readCommandLine(arguments);
}

int answerCommandLine(const CommandLine& line, std::string_view version, std::ostream& out,
                      std::ostream& error) {
    switch (line.action) {
    case CommandLine::Action::Help:
        out << Usage << std::flush;
        return 0;
    case CommandLine::Action::Version:
        out << "Clavitone " << version << '\n' << std::flush;
        return 0;
    case CommandLine::Action::Mistake:
        error << "clavitone: "
              << (line.missingValue         ? "option '" + line.argument + "' needs a value"
                  : line.argument[0] == '-' ? "unknown option '" + line.argument + "'"
                                            : "unexpected argument '" + line.argument + "'")
              << " (clavitone --help lists the options)\n"
              << std::flush;
        return 2;
    case CommandLine::Action::Start:
        break;
    }
    return 0;
}
