// kvo7730-config's arguments: the command, its settings and values, --instance and --restart.
#include "config_tool/config_command_line.h"

#include "platform/program_identity.h"

#include <QCommandLineParser>
#include <algorithm>

namespace {

const char* const kHelp =
    "Reads and changes the settings of kvo7730 and kvo7730d with the checks of the windowed program's\n"
    "Options window and COM panel, so that a board without a display needs no settings file written by hand.\n"
    "\n"
    "Commands:\n"
    "  list                every setting with its value, its default and what it means\n"
    "  get NAME...         the value of each setting, one a line\n"
    "  set NAME VALUE...   changes one or more settings; all are checked before any is saved\n"
    "  reset NAME...       puts settings back to their defaults\n"
    "  instances           this user's instances, and the program that runs each\n"
    "  names               the settings' names, one a line (for scripts and completion)\n"
    "  choices NAME        the words a setting's value may be (for completion)\n"
    "\n"
    "NAME is a name that list shows (com-port, connection, tcp-port, start-real-time, mqtt-host, ...) or the key\n"
    "the settings file stores (ComPort, ZigbeeVersion, ...). Yes/no settings take yes or no. The energy counters\n"
    "are the program's own state, which it keeps itself: they are not set here. Put \"--\" before a value that\n"
    "begins with \"-\". A program that runs the instance takes a change at its next start; --restart restarts\n"
    "its systemd unit with it.\n"
    "Exit status: 0 done; 1 the settings cannot be saved, or the unit cannot be restarted; 2 wrong arguments\n"
    "or a refused value (nothing saved); 3 a running program would write its own value over the change\n"
    "(nothing saved).";

struct Command {
    const char* word;
    ConfigRequest::Command command;
};

constexpr Command kCommands[] = {{"list", ConfigRequest::Command::List},         {"get", ConfigRequest::Command::Get},
                                 {"set", ConfigRequest::Command::Set},           {"reset", ConfigRequest::Command::Reset},
                                 {"names", ConfigRequest::Command::Names},       {"choices", ConfigRequest::Command::Choices},
                                 {"instances", ConfigRequest::Command::Instances}};

// The setting a word names, or why it names none.
const SettingName* named(const QString& word, QString& problem)
{
    const std::string text = word.toStdString();
    if (const SettingName* name = findSettingName(text))
        return name;
    const auto counters = programStateKeys();
    if (std::any_of(counters.begin(), counters.end(), [&text](Setting key) { return settingKey(key).name == text; }))
        problem = "\"" + word + "\" is one of the energy counters, the program's own state, which it keeps itself: "
                                "kvo7730-config leaves it alone.";
    else
        problem = "\"" + word + "\" is no setting: kvo7730-config list shows them all.";
    return nullptr;
}

} // namespace

ConfigCommandLine parseConfigCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kHelp));
    parser.addHelpOption();
    parser.addVersionOption();
    addInstanceOption(parser);
    const QCommandLineOption restart("restart", "After set or reset, restart the instance's systemd unit "
                                                "(kvo7730d.service, or kvo7730d@NAME.service) with the change.");
    parser.addOption(restart);
    parser.addPositionalArgument("command", "list, get, set, reset, instances, names or choices", "COMMAND [ARGUMENTS]");

    ConfigCommandLine result;
    if (!parser.parse(arguments)) {
        result.message = parser.errorText() + " (see --help).";
        return result;
    }
    if (const std::optional<QString> text = helpOrVersionText(parser)) {
        result.helpRequested = true;
        result.message = *text;
        return result;
    }
    const InstanceChoice instance = chosenInstance(parser);
    if (instance.problem) {
        result.message = *instance.problem;
        return result;
    }
    QStringList words = parser.positionalArguments();
    if (words.isEmpty()) {
        result.message = "Name a command: list, get, set, reset, instances, names or choices (see --help).";
        return result;
    }
    const QString word = words.takeFirst();
    const auto command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                      [&word](const Command& c) { return word == QLatin1String(c.word); });
    if (command == std::end(kCommands)) {
        result.message = "\"" + word + "\" is no command: list, get, set, reset, instances, names or choices.";
        return result;
    }
    ConfigRequest request{.command = command->command, .instance = instance.instance, .restart = parser.isSet(restart)};
    using C = ConfigRequest::Command;
    const bool changes = request.command == C::Set || request.command == C::Reset;
    if (request.restart && !changes) {
        result.message = "--restart goes with set or reset.";
        return result;
    }
    const bool takesNothing = request.command == C::List || request.command == C::Names || request.command == C::Instances;
    if (takesNothing && !words.isEmpty()) {
        result.message = word + " takes no arguments, not \"" + words.join(' ') + "\".";
        return result;
    }
    if (!takesNothing && words.isEmpty()) {
        result.message = word + " needs " + (request.command == C::Set ? "a setting's name and its value." : "a setting's name.");
        return result;
    }
    if (request.command == C::Choices && words.size() != 1) {
        result.message = "choices takes one setting's name.";
        return result;
    }
    if (request.command == C::Set && words.size() % 2 != 0) {
        result.message = "set takes pairs of a name and its value: \"" + words.constLast() + "\" has no value.";
        return result;
    }
    const qsizetype step = request.command == C::Set ? 2 : 1;
    for (qsizetype i = 0; i < words.size(); i += step) {
        QString problem;
        const SettingName* name = named(words[i], problem);
        if (!name) {
            result.message = problem;
            return result;
        }
        if (request.command == C::Set)
            request.changes.push_back({name, words[i + 1].toStdString()});
        else if (request.command == C::Reset)
            request.changes.push_back({name, std::nullopt});
        else
            request.names.push_back(name);
    }
    result.request = std::move(request);
    return result;
}
