// Loading and saving the settings table: defaults, key orders, stored texts, damaged
// values and the periodic save.
#include "memory_settings_store.h"
#include "receiver_rig.h"

#include "link/program_state.h"
#include "settings/persisted_settings.h"
#include "settings/setting_keys.h"
#include "simulator/monitor_emulator.h"

#include <gtest/gtest.h>

namespace {

using Keys = std::vector<std::string>;

struct SettingsRig {
    MemorySettingsStore store;
    ProgramState state;
    PersistedSettings settings{store, state};
};

// A state in which every persisted value differs from its default.
void setEveryValue(ProgramState& s)
{
    s.ComPortNum = 7;
    s.TCPportNum = 4321;
    s.CommMethod = 8;
    s.Rate = 0.5;
    s.StartupComIsOn = true;
    s.StartupRTLisOn = true;
    s.StartupServerIsOn = true;
    s.StartupListen = true;
    s.readings.PreResetVal1 = 1000;
    s.readings.PreResetVal2 = 2000.5;
    s.readings.PreResetValP1 = 3000;
    s.readings.PreResetValP2 = 4000;
    s.readings.PrevAbsWs1 = 1099511627775.0;
    s.readings.PrevAbsWs2 = 5;
    s.PrevPolWs1 = 6;
    s.PrevPolWs2 = 7;
    s.readings.KVOresetCount = 7;
    s.readings.SecondsCounter = 16777215;
    s.VexThresT = 300;
    s.VexThres1 = -40;
    s.VexThres2 = 120;
    s.VexUser = "meter user";
    s.VexWriteEnable = true;
    s.AutoWriteLocal = 1;
    s.WebHost = "127.0.0.1:8080";
}

TEST(PersistedSettings, firstRunOnAnEmptyStore_givesEveryDefault)
{
    SettingsRig rig;
    setEveryValue(rig.state);
    rig.settings.loadAtStartup();

    const ProgramState& s = rig.state;
    EXPECT_EQ(s.ComPortNum, 1);
    EXPECT_EQ(s.TCPportNum, 1234);
    EXPECT_EQ(s.CommMethod, 0);
    EXPECT_DOUBLE_EQ(s.Rate, 0.126);
    EXPECT_FALSE(s.StartupComIsOn);
    EXPECT_FALSE(s.StartupRTLisOn);
    EXPECT_FALSE(s.StartupServerIsOn);
    EXPECT_FALSE(s.StartupListen);
    EXPECT_EQ(s.readings.PreResetVal1, 0);
    EXPECT_EQ(s.readings.PreResetVal2, 0);
    EXPECT_EQ(s.readings.PreResetValP1, 0);
    EXPECT_EQ(s.readings.PreResetValP2, 0);
    EXPECT_EQ(s.readings.PrevAbsWs1, 0);
    EXPECT_EQ(s.readings.PrevAbsWs2, 0);
    EXPECT_EQ(s.PrevPolWs1, 0);
    EXPECT_EQ(s.PrevPolWs2, 0);
    EXPECT_EQ(s.readings.KVOresetCount, 0);
    EXPECT_EQ(s.readings.SecondsCounter, 0);
    EXPECT_EQ(s.VexThresT, 60);
    EXPECT_EQ(s.VexThres1, 60);
    EXPECT_EQ(s.VexThres2, 60);
    EXPECT_EQ(s.VexUser, "****");
    EXPECT_FALSE(s.VexWriteEnable);
    EXPECT_EQ(s.AutoWriteLocal, 0);
    EXPECT_EQ(s.WebHost, "www.kvo7730.com");
    EXPECT_TRUE(rig.store.writes.empty()) << "loading must not write";
}

TEST(PersistedSettings, eachSequence_touchesItsKeysInItsOwnOrder)
{
    SettingsRig rig;
    rig.settings.loadAtStartup();
    EXPECT_EQ(rig.store.reads,
              (Keys{"ComPort", "TCPport", "ZigbeeVersion", "Rate", "StartupComIsOn", "StartupRTLisOn",
                    "StartupServerIsOn", "StartupListen", "PreResetVal1", "PreResetVal2", "PreResetValP1",
                    "PreResetValP2", "E1B", "E2B", "E1BP", "E2BP", "KVOresetCount", "KVOCounter", "VexThresT",
                    "VexThres1", "VexThres2", "VexUser", "VexWriteEnable", "AutoWriteLocal",
                    "WebHost"}));

    rig.settings.saveAtShutdown();
    EXPECT_EQ(rig.store.writes,
              (Keys{"PreResetVal1", "PreResetVal2", "PreResetValP1", "PreResetValP2", "StartupComIsOn",
                    "StartupRTLisOn", "ZigbeeVersion", "E1B", "E2B", "E1BP", "E2BP", "KVOresetCount",
                    "KVOCounter", "Rate", "VexThresT", "VexThres1", "VexThres2", "VexUser", "VexWriteEnable",
                    "WebHost"}));

    rig.store.writes.clear();
    rig.settings.SaveCounters();
    EXPECT_EQ(rig.store.writes,
              (Keys{"PreResetVal1", "PreResetVal2", "PreResetValP1", "PreResetValP2", "E1BP", "E2BP", "E1B",
                    "E2B", "KVOresetCount", "KVOCounter", "VexThresT", "VexThres1", "VexThres2", "VexUser",
                    "VexWriteEnable"}));
}

TEST(PersistedSettings, savedValues_areTheirPlainTexts)
{
    SettingsRig rig;
    setEveryValue(rig.state);
    rig.settings.saveAtShutdown();
    for (const char* key : {"ComPort", "TCPport", "StartupServerIsOn", "StartupListen", "AutoWriteLocal"})
        rig.settings.save(key);

    const std::map<std::string, std::string> expected = {
        {"ComPort", "7"}, {"TCPport", "4321"}, {"ZigbeeVersion", "8"}, {"Rate", "0.5"},
        {"StartupComIsOn", "True"}, {"StartupRTLisOn", "True"}, {"StartupServerIsOn", "True"},
        {"StartupListen", "True"}, {"PreResetVal1", "1000"}, {"PreResetVal2", "2000.5"},
        {"PreResetValP1", "3000"}, {"PreResetValP2", "4000"}, {"E1B", "1099511627775"}, {"E2B", "5"},
        {"E1BP", "6"}, {"E2BP", "7"}, {"KVOresetCount", "7"}, {"KVOCounter", "16777215"}, {"VexThresT", "300"},
        {"VexThres1", "-40"}, {"VexThres2", "120"}, {"VexUser", "meter user"}, {"VexWriteEnable", "True"},
        {"AutoWriteLocal", "1"}, {"WebHost", "127.0.0.1:8080"}};
    EXPECT_EQ(rig.store.values, expected);

    ProgramState defaults;
    SettingsRig fresh;
    fresh.state = defaults;
    fresh.settings.saveAtShutdown();
    EXPECT_EQ(fresh.store.values.at("Rate"), "0.126");
    EXPECT_EQ(fresh.store.values.at("StartupComIsOn"), "False");
    EXPECT_EQ(fresh.store.values.at("E1B"), "0");
    EXPECT_EQ(fresh.store.values.at("VexUser"), "****");
}

TEST(PersistedSettings, everyValueSurvivesASaveAndALoad)
{
    SettingsRig before;
    setEveryValue(before.state);
    before.settings.saveAtShutdown();
    for (const char* key : {"ComPort", "TCPport", "StartupServerIsOn", "StartupListen", "AutoWriteLocal"})
        before.settings.save(key);

    SettingsRig after;
    after.store.values = before.store.values;
    after.settings.loadAtStartup();
    for (const SettingKey& key : settingKeys())
        EXPECT_EQ(key.save(after.state), key.save(before.state)) << key.name;
}

struct StoredText {
    const char* key;
    const char* text;
    const char* loadedAs;  // the program value, saved back as text
};

TEST(PersistedSettings, storedTexts_loadWhenTheyConvertAndGiveTheDefaultWhenNot)
{
    const StoredText cases[] = {
        {"ComPort", "7", "7"},
        {"ComPort", "abc", "1"},
        {"ComPort", "", "1"},
        {"TCPport", "70000", "1234"},
        {"TCPport", "-32768", "-32768"},
        {"ZigbeeVersion", "256", "0"},
        {"ZigbeeVersion", "2", "2"},
        {"Rate", "0,2", "0.2"},  // written under a locale with a decimal comma
        {"Rate", "cheap", "0.126"},
        {"StartupComIsOn", "True", "True"},
        {"StartupComIsOn", "maybe", "False"},
        {"KVOresetCount", "9", "0"},
        {"KVOresetCount", "-1", "0"},
        {"KVOresetCount", "5", "5"},
        {"KVOCounter", "abc", "0"},
        {"KVOCounter", "16777215", "16777215"},
        {"KVOCounter", "99999999999", "0"},
        {"E1B", "1099511627775", "1099511627775"},
        {"E1B", "lots", "0"},
        {"VexThres1", "1E+9", "60"},
        {"VexUser", "", ""},
        {"WebHost", "monitor.example.org:8080", "monitor.example.org:8080"},
        {"WebHost", "evil.example\r\nX-Injected: 1", "www.kvo7730.com"},
        {"WebHost", "two words", "www.kvo7730.com"},
        {"WebHost", "", "www.kvo7730.com"},
    };
    for (const StoredText& c : cases) {
        SettingsRig rig;
        setEveryValue(rig.state);
        rig.store.values[c.key] = c.text;
        rig.settings.loadAtStartup();
        EXPECT_EQ(settingKey(c.key).save(rig.state), c.loadedAs) << c.key << " stored as \"" << c.text << "\"";
    }
}

TEST(PersistedSettings, storedPreviousCountersAndSecondsCounter_areWhatTheFirstPacketIsMeasuredFrom)
{
    ReceiverRig rig;
    MemorySettingsStore store;
    store.values = {{"E1B", "3600000"}, {"E2B", "7200"}, {"KVOCounter", "100"}};
    PersistedSettings(store, rig.state).loadAtStartup();

    MonitorEmulator monitor;
    monitor.state().absWs = {3600000, 7200};
    monitor.state().secondsCounter = 100;
    monitor.state().watts = {250, 10};
    monitor.advance(10);
    rig.deliver(monitor.packet());

    ASSERT_EQ(rig.posts, 1);
    EXPECT_EQ(rig.state.readings.DeltaSeconds, 10);
    EXPECT_DOUBLE_EQ(rig.state.readings.Watts1, 250);
    EXPECT_DOUBLE_EQ(rig.state.readings.Watts2, 10);
    EXPECT_DOUBLE_EQ(rig.state.readings.PrevAbsWs1, 3602500);
}

TEST(PeriodicSave, savesTheCountersOnThe101stTickAndEvery101TicksAfter)
{
    SettingsRig rig;
    PeriodicSave periodic(rig.settings);
    auto saves = [&] { return rig.store.writes.size() / periodicSaveOrder().size(); };

    for (int tick = 1; tick <= 100; ++tick)
        periodic.tick();
    EXPECT_EQ(rig.store.writes.size(), 0u);
    periodic.tick();
    EXPECT_EQ(rig.store.writes.size(), periodicSaveOrder().size());
    EXPECT_EQ(rig.store.writes.front(), "PreResetVal1");

    for (int tick = 102; tick <= 201; ++tick)
        periodic.tick();
    EXPECT_EQ(saves(), 1u);
    periodic.tick();
    EXPECT_EQ(saves(), 2u);
}

TEST(PeriodicSave, counterChangedByAPacket_isInTheStoreAfterTheSaveWithoutAShutdown)
{
    SettingsRig rig;
    PeriodicSave periodic(rig.settings);
    rig.state.readings.PreResetVal1 = 123456;
    rig.state.readings.PreResetVal2 = 654321;
    for (int tick = 0; tick < 101; ++tick)
        periodic.tick();
    EXPECT_EQ(rig.store.values.at("PreResetVal1"), "123456");
    EXPECT_EQ(rig.store.values.at("PreResetVal2"), "654321");
}

} // namespace
