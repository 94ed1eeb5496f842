// Reading kvo7730-sim's command line into the emulator's starting state and modes.
#include "simulator/sim_options.h"

#include "platform/program_identity.h"
#include "monitor_setup/setting_assignments.h"

#include <QCommandLineParser>
#include <cmath>
#include <limits>

namespace {

constexpr double kNoLimit = std::numeric_limits<int>::max();

struct NumberOption {
    const char* name;
    const char* valueName;
    const char* description;
    double minimum;
    double maximum;
    bool whole;
    void (*apply)(SimOptions&, double);
};

int whole(double value)
{
    return static_cast<int>(value);
}

const NumberOption kNumberOptions[] = {
    {"volts", "V", "Line voltage (default 120).", 0, 3276.7, false,
     [](SimOptions& o, double v) { o.state.volts = v; }},
    {"watts1", "W", "Channel 1 power; negative while generating (both counters move).", -1e6, 1e6, false,
     [](SimOptions& o, double v) { o.state.watts[0] = v; }},
    {"watts2", "W", "Channel 2 power.", -1e6, 1e6, false,
     [](SimOptions& o, double v) { o.state.watts[1] = v; }},
    {"pf1", "F", "Channel 1 power factor, 0 to 1 (default 1).", 0, 1, false,
     [](SimOptions& o, double v) { o.state.powerFactor[0] = v; }},
    {"pf2", "F", "Channel 2 power factor, 0 to 1 (default 1).", 0, 1, false,
     [](SimOptions& o, double v) { o.state.powerFactor[1] = v; }},
    {"counter-start", "S", "Seconds counter at start, 0 to 16777215; near the top it soon wraps.", 0,
     16777215, true, [](SimOptions& o, double v) { o.state.secondsCounter = static_cast<std::uint32_t>(v); }},
    {"reset-count", "N", "Reset count at start, 0 to 7.", 0, 7, true,
     [](SimOptions& o, double v) { o.state.resetCount = whole(v); }},
    {"bad-checksum-every", "N", "Wrong checksum on every Nth packet.", 1, kNoLimit, true,
     [](SimOptions& o, double v) { o.faults.wrongChecksumEvery = whole(v); }},
    {"bad-trailer-every", "N", "Wrong trailer on every Nth packet.", 1, kNoLimit, true,
     [](SimOptions& o, double v) { o.faults.wrongTrailerEvery = whole(v); }},
    {"counter-back-every", "N", "The seconds counter steps back 100 s before every Nth packet.", 1,
     kNoLimit, true, [](SimOptions& o, double v) { o.faults.secondsBackEvery = whole(v); }},
    {"reset-every", "N", "A monitor reset before every Nth packet.", 1, kNoLimit, true,
     [](SimOptions& o, double v) { o.faults.resetEvery = whole(v); }},
    {"reset-step", "S", "How far those resets move the reset count, 1 to 7 (default 1).", 1, 7, true,
     [](SimOptions& o, double v) { o.faults.resetStep = whole(v); }},
    {"noise-every", "N", "Stray bytes before every Nth packet.", 1, kNoLimit, true,
     [](SimOptions& o, double v) { o.faults.noiseEvery = whole(v); }},
    {"answer", "BYTE", "Answer accepted commands with BYTE instead of 252 (a refusal).", 0, 255, true,
     [](SimOptions& o, double v) { o.responses.answerByte = static_cast<std::uint8_t>(v); }},
    {"rate", "N", "Packets a second, 1 to 44 (what 19200 baud carries); the monitor's seconds run N times faster.",
     1, 44, true, [](SimOptions& o, double v) { o.rate = whole(v); }},
    {"com", "N", "Also name the terminal COM port N (1-64) for the current user.", 1, 64, true,
     [](SimOptions& o, double v) { o.comPort = whole(v); }},
    {"zigbee", "N", "Put a ZigBee dongle in front of the monitor, whose radio is node EN (1 or 2).", 1, 2, true,
     [](SimOptions& o, double v) { o.dongle = DongleSettings{.node = whole(v)}; }},
    {"step-watts1", "W", "Channel 1's power after the step (with --step-after).", -1e6, 1e6, false,
     [](SimOptions& o, double v) { o.step.watts1 = v; }},
    {"short-block", "N", "Send only N bytes of the 33-byte settings block (a faulty monitor).", 0, 32, true,
     [](SimOptions& o, double v) { o.responses.settingsBlockLength = static_cast<std::size_t>(v); }},
    {"step-after", "N", "Step channel 1's power once N packets have been sent (with --step-watts1).", 1,
     kNoLimit, true, [](SimOptions& o, double v) { o.step.afterPackets = whole(v); }},
};

bool isWord(const QString& word)
{
    if (word == QLatin1String(kAttentionWord.data(), static_cast<qsizetype>(kAttentionWord.size())))
        return true;
    if (word.size() != 3)
        return false;
    for (const QChar c : word) {
        if (c.unicode() <= ' ' || c.unicode() >= 127)
            return false;
    }
    return true;
}

std::optional<DongleFault> dongleFaultNamed(const QString& name)
{
    if (name == "silent")
        return DongleFault::Silent;
    if (name == "error")
        return DongleFault::AlwaysError;
    if (name == "split-ok")
        return DongleFault::SplitOk;
    return std::nullopt;
}

} // namespace

SimCommandLine parseSimCommandLine(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Plays a KVO-7730 energy monitor on a pseudo-terminal and prints the terminal's path.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption realTime("realtime-on", "Stream packets from the start, without waiting for TOG PLR.");
    const QCommandLineOption silent("silent", "Never answer anything.");
    const QCommandLineOption ackOnly("ack-only",
                                     "Answer only these words: commands, or 252 for the attention byte.",
                                     "CMD,CMD");
    const QCommandLineOption dongleFault(
        "dongle-fault", "A faulty dongle (with --zigbee): silent, error (always ERROR) or split-ok (\"O K\").",
        "KIND");
    const QCommandLineOption noAck("no-ack",
                                   "Never answer these words; a value byte is named after the word it follows "
                                   "with a +, as TYP+ or IVL+.",
                                   "CMD,CMD");
    const QCommandLineOption config("config",
                                    "The monitor's configuration: ct1=TYPE,RANGE ct2=TYPE,RANGE pt=TYPE,RANGE "
                                    "interval=MINUTES firmware=VERSION id=ID, blank-separated or repeated "
                                    "(default ct1=100,5 ct2=167,4 pt=1,2 interval=15 firmware=1.234 id=33).",
                                    "SETTINGS");
    const QCommandLineOption generate("generate",
                                      "Channel CH returns W watts to the grid, as solar panels do (CH=W, for "
                                      "example 2=1500; the same as a negative --wattsCH).",
                                      "CH=W");
    parser.addOptions({realTime, silent, ackOnly, dongleFault, noAck, config, generate});
    addInstanceOption(parser);
    for (const NumberOption& number : kNumberOptions)
        parser.addOption(QCommandLineOption(number.name, number.description, number.valueName));

    SimCommandLine result;
    if (!parser.parse(arguments)) {
        result.message = parser.errorText();
        return result;
    }
    if (const std::optional<QString> text = helpOrVersionText(parser)) {
        result.helpRequested = true;
        result.message = *text;
        return result;
    }
    if (!parser.positionalArguments().isEmpty()) {
        result.message = "Unexpected argument: " + parser.positionalArguments().constFirst();
        return result;
    }

    SimOptions options;
    const InstanceChoice instance = chosenInstance(parser);
    if (instance.problem || (!instance.instance.empty() && !parser.isSet("com"))) {
        result.message = instance.problem.value_or("--instance goes with --com: it names whose COM port link is made.");
        return result;
    }
    options.instance = instance.instance;
    for (const NumberOption& number : kNumberOptions) {
        if (!parser.isSet(number.name))
            continue;
        bool ok = false;
        const double value = parser.value(number.name).toDouble(&ok);
        if (!ok || value < number.minimum || value > number.maximum
            || (number.whole && value != std::floor(value))) {
            result.message = QString("Invalid value for --%1: %2").arg(number.name, parser.value(number.name));
            return result;
        }
        number.apply(options, value);
    }
    for (const QString& assignment : parser.values(generate)) {
        const QStringList parts = assignment.split('=');
        bool channelOk = false;
        bool wattsOk = false;
        const int channel = parts.size() == 2 ? parts[0].toInt(&channelOk) : 0;
        const double watts = parts.size() == 2 ? parts[1].toDouble(&wattsOk) : 0;
        if (!channelOk || !wattsOk || (channel != 1 && channel != 2) || watts < 0 || watts > 1e6) {
            result.message = "Invalid value for --generate: " + assignment + " (CH=W, CH 1 or 2, W from 0 to 1000000)";
            return result;
        }
        options.state.watts[static_cast<std::size_t>(channel - 1)] = -watts;
    }
    if (parser.isSet("step-watts1") != parser.isSet("step-after")) {
        result.message = "--step-watts1 and --step-after go together";
        return result;
    }
    if (parser.isSet(dongleFault)) {
        const auto fault = dongleFaultNamed(parser.value(dongleFault));
        if (!fault || !options.dongle) {
            result.message = "--dongle-fault takes silent, error or split-ok, with --zigbee";
            return result;
        }
        options.dongle->fault = *fault;
    }
    options.state.realTimeOn = parser.isSet(realTime);
    options.responses.silent = parser.isSet(silent);
    if (parser.isSet(ackOnly)) {
        std::set<std::string> words;
        for (const QString& word : parser.value(ackOnly).split(',')) {
            if (!isWord(word.trimmed())) {
                result.message = "Invalid word for --ack-only: " + word;
                return result;
            }
            words.insert(word.trimmed().toStdString());
        }
        options.responses.answeredWords = std::move(words);
    }
    for (const QString& word : parser.values(noAck).join(',').split(',', Qt::SkipEmptyParts)) {
        const QString name = word.trimmed().endsWith('+') ? word.trimmed().chopped(1) : word.trimmed();
        if (!isWord(name)) {
            result.message = "Invalid word for --no-ack: " + word;
            return result;
        }
        options.responses.unansweredWords.insert(word.trimmed().toStdString());
    }
    std::vector<std::string> settingWords;
    for (const QString& word : parser.values(config).join(' ').split(' ', Qt::SkipEmptyParts))
        settingWords.push_back(word.toStdString());
    const ParsedAssignments assignments = parseSettingAssignments(settingWords, true);
    if (!assignments.changes) {
        result.message = "Invalid --config: " + QString::fromStdString(assignments.error);
        return result;
    }
    options.state.configuration = withChanges(options.state.configuration, *assignments.changes);
    result.options = std::move(options);
    return result;
}
