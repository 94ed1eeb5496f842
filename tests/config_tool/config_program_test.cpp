// kvo7730-config as a person runs it: every setting set and read back in one go lands in the
// settings file as the programs store it, a reset brings the defaults back, a refused value
// saves nothing, and an instance's file is its own.
#include "tool_process.h"

#include "config_tool/setting_names.h"
#include "settings/settings_values.h"

#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>

namespace {

struct Sample {
    std::string typed;
    // As get shows it; the typed text when empty.
    std::string shown;
    std::string stored;
};

// A value other than the default for every setting, all of them acceptable together.
std::map<std::string, Sample> samples(const QString& caFile)
{
    const std::string ca = caFile.toStdString();
    return {
        {"com-port", {"7", "", "7"}},
        {"connection", {"ZigBee2", "zigbee2", "2"}},
        {"tcp-port", {"1240", "", "1240"}},
        {"tcp-local-only", {"yes", "", "True"}},
        {"start-open-port", {"yes", "", "True"}},
        {"start-real-time", {"on", "yes", "True"}},
        {"start-listen", {"yes", "", "True"}},
        {"start-web-posting", {"yes", "", "True"}},
        {"start-show-readings", {"true", "yes", "True"}},
        {"rate", {"0.25", "", "0.25"}},
        {"write-interval", {"30", "", "30"}},
        {"power-change1", {"100", "", "100"}},
        {"power-change2", {"120.4", "120", "120"}},
        {"push-on-post", {"yes", "", "1"}},
        {"web-posting", {"yes", "", "True"}},
        {"web-user", {"alice", "", "alice"}},
        {"web-host", {"example.org:8080", "", "example.org:8080"}},
        {"mqtt-enable", {"yes", "", "True"}},
        {"mqtt-host", {"broker.lan", "", "broker.lan"}},
        {"mqtt-port", {"8883", "", "8883"}},
        {"mqtt-tls", {"yes", "", "True"}},
        {"mqtt-ca-file", {ca, "", ca}},
        {"mqtt-user", {"meter", "", "meter"}},
        {"mqtt-password", {"secret", "", "secret"}},
        {"mqtt-topic", {"house/meter", "", "house/meter"}},
        {"mqtt-discovery", {"no", "", "False"}},
        {"dashboard-enable", {"no", "", "False"}},
        {"dashboard-port", {"7740", "", "7740"}},
        {"dashboard-local-only", {"no", "", "False"}},
        {"influx-enable", {"yes", "", "True"}},
        {"influx-url", {"http://localhost:8086", "", "http://localhost:8086"}},
        {"influx-api", {"2", "", "2"}},
        {"influx-database", {"energy", "", "energy"}},
        {"influx-user", {"u", "", "u"}},
        {"influx-password", {"p", "", "p"}},
        {"influx-org", {"home", "", "home"}},
        {"influx-bucket", {"meter", "", "meter"}},
        {"influx-token", {"tok", "", "tok"}},
        {"influx-resolution", {"minute", "", "minute"}},
    };
}

QString tool()
{
    return QStringLiteral(KVO_CONFIG_PATH);
}

QString storedText(const QString& file, std::string_view key)
{
    QSettings settings(file, QSettings::IniFormat);
    return settings.value("startup/" + QString::fromLatin1(key.data(), static_cast<qsizetype>(key.size()))).toString();
}

TEST(ConfigProgram, everySetting_setAndGotBack_landsInTheSettingsFileAsTheProgramsStoreIt)
{
    QTemporaryDir home;
    QFile ca(home.filePath("ca.crt"));
    ASSERT_TRUE(ca.open(QIODevice::WriteOnly));
    ca.close();
    const auto wanted = samples(ca.fileName());
    QStringList setWords{"set"};
    QStringList getWords{"get"};
    for (const SettingName& name : settingNames()) {
        const auto sample = wanted.find(std::string(name.name));
        ASSERT_NE(sample, wanted.end()) << "no sample value for " << name.name;
        setWords << QString::fromLatin1(name.name.data(), static_cast<qsizetype>(name.name.size()))
                 << QString::fromStdString(sample->second.typed);
        getWords << setWords[setWords.size() - 2];
    }
    const ToolRun set = runTool(tool(), home, setWords);
    ASSERT_EQ(set.exitCode, 0) << set.err.toStdString();
    const ToolRun get = runTool(tool(), home, getWords);
    ASSERT_EQ(get.exitCode, 0) << get.err.toStdString();
    const QStringList shown = get.out.split('\n');

    const QString file = home.filePath("DARavev/DARavev.ini");
    for (qsizetype i = 0; i < static_cast<qsizetype>(settingNames().size()); ++i) {
        const SettingName& name = settingNames()[static_cast<std::size_t>(i)];
        const Sample& sample = wanted.at(std::string(name.name));
        SCOPED_TRACE(std::string(name.name));
        EXPECT_EQ(shown.value(i).toStdString(), sample.shown.empty() ? sample.typed : sample.shown);
        const QString stored = storedText(file, settingKey(name.key).name);
        EXPECT_EQ(stored.toStdString(), sample.stored);
        SettingsValues values;
        EXPECT_TRUE(settingKey(name.key).load(values, stored.toStdString())) << "the programs would not take it";
    }

    QStringList resetWords = getWords;
    resetWords[0] = "reset";
    ASSERT_EQ(runTool(tool(), home, resetWords).exitCode, 0);
    for (const SettingName& name : settingNames())
        EXPECT_EQ(storedText(file, settingKey(name.key).name).toStdString(), settingKey(name.key).defaultText) << name.name;
}

TEST(ConfigProgram, aRefusedValue_exitsWith2_andLeavesTheFileAsItWas)
{
    QTemporaryDir home;
    ASSERT_EQ(runTool(tool(), home, {"set", "com-port", "4"}).exitCode, 0);
    const ToolRun refused = runTool(tool(), home, {"set", "com-port", "5", "dashboard-port", "1234"});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(refused.err, "dashboard-port: The dashboard's port must differ from the TCP server's port (1234).\n"
                           "Nothing was saved.\n");
    EXPECT_EQ(storedText(home.filePath("DARavev/DARavev.ini"), "ComPort"), "4");
}

TEST(ConfigProgram, anInstancesSettings_goToItsOwnFile_andSharingAPortWithAnotherIsSaid)
{
    QTemporaryDir home;
    ASSERT_EQ(runTool(tool(), home, {"set", "com-port", "3"}).exitCode, 0);
    const ToolRun garage = runTool(tool(), home, {"--instance", "garage", "set", "com-port", "4"});
    ASSERT_EQ(garage.exitCode, 0) << garage.err.toStdString();
    EXPECT_EQ(storedText(home.filePath("DARavev/instances/garage/DARavev.ini"), "ComPort"), "4");
    EXPECT_EQ(storedText(home.filePath("DARavev/DARavev.ini"), "ComPort"), "3") << "the default instance's file is untouched";
    EXPECT_EQ(garage.err, "Instance \"garage\" shares its TCP port 1234 with the default instance: the two cannot run at "
                          "the same time.\n");

    const ToolRun instances = runTool(tool(), home, {"instances"});
    EXPECT_EQ(instances.out, "default\tnot running\ngarage\tnot running\n");
}

} // namespace
