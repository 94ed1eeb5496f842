// kvo7730-config's names and checks: every configured key has a name, each typed value meets
// the windows' rule (the shared table), several changes are checked as one, a reset goes
// back to the default, and the command line refuses what it cannot take.
#include "memory_settings_store.h"
#include "setting_value_cases.h"

#include "config_tool/config_command_line.h"
#include "config_tool/setting_changes.h"
#include "config_tool/setting_names.h"
#include "settings/persisted_settings.h"

#include <QStringList>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

constexpr NumberSymbols kSymbols{'.', ','};

SettingsValues defaults()
{
    MemorySettingsStore store;
    PersistedSettings settings(store);
    settings.loadAtStartup();
    return settings.values();
}

const SettingName& named(const char* name)
{
    const SettingName* found = findSettingName(name);
    if (!found)
        throw std::invalid_argument(std::string("no setting named ") + name);
    return *found;
}

ChangeVerdict set(std::initializer_list<std::pair<const char*, const char*>> pairs,
                  const SettingsValues& current = defaults())
{
    std::vector<SettingChange> changes;
    for (const auto& [name, typed] : pairs)
        changes.push_back({&named(name), std::string(typed)});
    return checkChanges(current, changes, kSymbols);
}

std::optional<std::string> written(const ChangeVerdict& verdict, Setting key)
{
    const auto found = std::find_if(verdict.writes.begin(), verdict.writes.end(),
                                    [key](const auto& write) { return write.first == key; });
    if (found == verdict.writes.end())
        return std::nullopt;
    return found->second;
}

TEST(SettingNames, everyKeyAPersonConfigures_hasOneReadableName_andTheCountersNone)
{
    for (const SettingKey& key : settingKeys()) {
        SCOPED_TRACE(std::string(key.name));
        const auto names = settingNames();
        const auto count = std::count_if(names.begin(), names.end(), [&key](const SettingName& n) { return n.key == key.id; });
        EXPECT_EQ(count, isProgramState(key.id) ? 0 : 1) << "a stored key without a readable name in kvo7730-config";
    }
}

TEST(SettingNames, namesAreLowerCaseWordsWithHyphens_eachOnce_andNoneIsAStoredKey)
{
    std::vector<std::string_view> seen;
    for (const SettingName& name : settingNames()) {
        SCOPED_TRACE(std::string(name.name));
        EXPECT_TRUE(std::all_of(name.name.begin(), name.name.end(),
                                [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'; }));
        EXPECT_EQ(std::count(seen.begin(), seen.end(), name.name), 0);
        EXPECT_EQ(findSettingName(settingKey(name.key).name), &name) << "the stored key names the same setting";
        EXPECT_FALSE(name.meaning.empty());
        seen.push_back(name.name);
    }
}

TEST(SettingNames, storedTextsReadAsAPersonTypesThem)
{
    EXPECT_EQ(shownText(ValueForm::YesNo, "True"), "yes");
    EXPECT_EQ(shownText(ValueForm::YesNo, "False"), "no");
    EXPECT_EQ(shownText(ValueForm::Connection, "8"), "usb");
    EXPECT_EQ(shownText(ValueForm::Connection, "2"), "zigbee2");
    EXPECT_EQ(shownText(ValueForm::Connection, "0"), "none");
    EXPECT_EQ(shownText(ValueForm::TriggerPush, "2"), "grey");
    EXPECT_EQ(shownDefault(named("connection")), "none");
    EXPECT_EQ(shownDefault(named("mqtt-discovery")), "yes");
    EXPECT_EQ(valueChoices(ValueForm::Connection), (std::vector<std::string_view>{"usb", "zigbee1", "zigbee2"}));
    EXPECT_EQ(typedConnection("ZigBee1"), "1");
    EXPECT_FALSE(typedConnection("none")) << "no method is what nobody chose, not a choice";
    EXPECT_EQ(typedYesNo("On"), true);
    EXPECT_FALSE(typedYesNo("maybe"));
}

TEST(SettingChanges, eachTypedValue_isTakenOrRefusedAsTheWindowsDo)
{
    for (const SettingValueCase& c : kSettingValueCases) {
        SCOPED_TRACE(std::string(c.name) + " \"" + c.typed + "\"");
        const ChangeVerdict verdict = set({{c.name, c.typed}});
        if (c.reason) {
            ASSERT_TRUE(verdict.refusal);
            EXPECT_EQ(verdict.refusal->reason, c.reason);
            continue;
        }
        ASSERT_FALSE(verdict.refusal) << verdict.refusal->reason;
        EXPECT_EQ(written(verdict, named(c.name).key), c.stored);
    }
}

TEST(SettingChanges, aTabsCheck_blamesTheBoxItFindsWrong_notTheOneTyped)
{
    const ChangeVerdict verdict = set({{"mqtt-enable", "yes"}});
    ASSERT_TRUE(verdict.refusal);
    EXPECT_EQ(verdict.refusal->name, "mqtt-host");
}

TEST(SettingChanges, changesAreCheckedTogether_soAHostAndItsSwitchPassAsOne)
{
    const ChangeVerdict verdict = set({{"mqtt-enable", "yes"}, {"mqtt-host", " broker.lan "}, {"com-port", "4"}});
    ASSERT_FALSE(verdict.refusal) << verdict.refusal->reason;
    EXPECT_EQ(written(verdict, Setting::MqttEnable), "True");
    EXPECT_EQ(written(verdict, Setting::MqttHost), "broker.lan") << "trimmed as the tab trims it";
    EXPECT_EQ(written(verdict, Setting::ComPort), "4");
    EXPECT_FALSE(written(verdict, Setting::MqttPort)) << "an unchanged key is not rewritten";
}

TEST(SettingChanges, oneRefusedValue_refusesTheWholeChange)
{
    const ChangeVerdict verdict = set({{"com-port", "4"}, {"tcp-port", "99999"}, {"rate", "0.3"}});
    ASSERT_TRUE(verdict.refusal);
    EXPECT_EQ(verdict.refusal->name, "tcp-port");
}

TEST(SettingChanges, aTcpPortOnTheDashboardsPort_isRefusedByTheDashboardsRule)
{
    const ChangeVerdict verdict = set({{"tcp-port", "7730"}});
    ASSERT_TRUE(verdict.refusal);
    EXPECT_EQ(verdict.refusal->name, "dashboard-port");
    EXPECT_EQ(verdict.refusal->reason, "The dashboard's port must differ from the TCP server's port (7730).");
    EXPECT_FALSE(set({{"tcp-port", "7730"}, {"dashboard-port", "7731"}}).refusal) << "moved together, they pass";
}

TEST(SettingChanges, theToolsOwnWords_refuseWhatNoBoxCouldHold)
{
    const std::pair<const char*, const char*> cases[][1] = {
        {{"start-real-time", "maybe"}}, {{"connection", "serial"}}, {{"com-port", "abc"}},
        {{"influx-api", "two"}},        {{"influx-resolution", "hour"}}};
    for (const auto& [change] : cases) {
        SCOPED_TRACE(change.first);
        const ChangeVerdict verdict = set({change});
        ASSERT_TRUE(verdict.refusal);
        EXPECT_NE(verdict.refusal->reason.find(std::string("\"") + change.second + "\""), std::string::npos)
            << verdict.refusal->reason;
    }
}

TEST(SettingChanges, readableValues_becomeTheStoredTexts)
{
    const ChangeVerdict verdict = set({{"connection", "zigbee2"}, {"start-real-time", "yes"}, {"push-on-post", "yes"}});
    ASSERT_FALSE(verdict.refusal);
    EXPECT_EQ(written(verdict, Setting::ZigbeeVersion), "2");
    EXPECT_EQ(written(verdict, Setting::StartupRTLisOn), "True");
    EXPECT_EQ(written(verdict, Setting::AutoWriteLocal), "1");
}

TEST(SettingChanges, aRateAboveOne_isTakenWithANote)
{
    const ChangeVerdict verdict = set({{"rate", "1.5"}});
    ASSERT_FALSE(verdict.refusal);
    ASSERT_EQ(verdict.notes.size(), 1u);
    EXPECT_TRUE(set({{"rate", "0.5"}}).notes.empty());
}

TEST(SettingChanges, aReset_writesTheDefault_andATabsResetGoesThroughItsCheck)
{
    SettingsValues current = defaults();
    current.ComPortNum = 9;
    current.MqttEnable = true;
    current.MqttHost = "broker.lan";
    const std::vector<SettingChange> resetPort{{&named("com-port"), std::nullopt}};
    EXPECT_EQ(written(checkChanges(current, resetPort, kSymbols), Setting::ComPort), "1");
    const std::vector<SettingChange> resetHost{{&named("mqtt-host"), std::nullopt}};
    const ChangeVerdict verdict = checkChanges(current, resetHost, kSymbols);
    ASSERT_TRUE(verdict.refusal) << "publishing on with no broker is what the tab refuses";
    EXPECT_EQ(verdict.refusal->name, "mqtt-host");
}

ConfigCommandLine parse(const QStringList& words)
{
    return parseConfigCommandLine(QStringList{"kvo7730-config"} + words);
}

TEST(ConfigCommandLine, readsTheCommandItsSettingsAndTheInstance)
{
    const ConfigCommandLine line = parse({"--instance", "garage", "--restart", "set", "com-port", "3", "ComPort", "4"});
    ASSERT_TRUE(line.request) << line.message.toStdString();
    EXPECT_EQ(line.request->instance, "garage");
    EXPECT_TRUE(line.request->restart);
    ASSERT_EQ(line.request->changes.size(), 2u);
    EXPECT_EQ(line.request->changes[1].name, &named("com-port")) << "a stored key names its setting too";
    EXPECT_EQ(line.request->changes[1].typed, "4");
    EXPECT_EQ(parse({"--instance", "default", "get", "rate"}).request->instance, "");
    EXPECT_EQ(parse({"reset", "rate"}).request->changes.front().typed, std::nullopt);
    EXPECT_EQ(parse({"set", "rate", "--", "-1"}).request->changes.front().typed, "-1");
}

TEST(ConfigCommandLine, refusesWhatItCannotTake_sayingWhy)
{
    const std::pair<QStringList, const char*> cases[] = {
        {{}, "Name a command"},
        {{"frobnicate"}, "is no command"},
        {{"set", "com-port"}, "has no value"},
        {{"set", "colour", "red"}, "\"colour\" is no setting"},
        {{"set", "E1B", "0"}, "energy counters"},
        {{"get"}, "needs a setting's name"},
        {{"list", "extra"}, "takes no arguments"},
        {{"--restart", "get", "rate"}, "--restart goes with set or reset"},
        {{"--instance", "a/b", "list"}, "cannot name an instance"},
    };
    for (const auto& [words, because] : cases) {
        SCOPED_TRACE(words.join(' ').toStdString());
        const ConfigCommandLine line = parse(words);
        EXPECT_FALSE(line.request);
        EXPECT_TRUE(line.message.contains(QString::fromLatin1(because))) << line.message.toStdString();
    }
}

} // namespace
