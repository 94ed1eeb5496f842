// The settings in a real QSettings file under a scratch configuration folder: where the
// file lives, its [startup] group, and values that reach the disk with each write.
#include "platform/qt_settings_store.h"
#include "settings/persisted_settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// QSettings takes the user's configuration folder once per process, so every test of
// this program shares one scratch folder, set before the first store is made.
QString configDir()
{
    static QTemporaryDir dir;
    static const bool set = ::setenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit().constData(), 1) == 0;
    EXPECT_TRUE(dir.isValid() && set);
    return dir.path();
}

QString settingsFilePath()
{
    return configDir() + "/DARavev/DARavev.ini";
}

QString fileText()
{
    QFile file(settingsFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

TEST(SettingsFile, aWrite_landsInTheStartupGroupOfDARavevIniAtOnce)
{
    configDir();
    QtSettingsStore store;
    store.write("ComPort", "7");

    // Read from the disk while the store is still alive: nothing waits for a shut-down.
    const QString text = fileText();
    ASSERT_FALSE(text.isEmpty()) << settingsFilePath().toStdString() << " missing";
    EXPECT_TRUE(text.contains("[startup]"));
    EXPECT_TRUE(text.contains("ComPort=7"));
}

TEST(SettingsFile, writtenTexts_readBackUnchangedThroughANewStore)
{
    configDir();
    const std::map<std::string, std::string> texts = {
        {"Rate", "0.126"}, {"E1B", "1099511627775"}, {"StartupRTLisOn", "True"}, {"VexUser", "a, b = \"c\""},
        {"VexThres1", "-40"}, {"PreResetVal2", "2000.5"}, {"KVOresetCount", "0"}};
    {
        QtSettingsStore store;
        for (const auto& [key, text] : texts)
            store.write(key, text);
    }
    QtSettingsStore reopened;
    for (const auto& [key, text] : texts)
        EXPECT_EQ(reopened.read(key, "absent"), text) << key;
    EXPECT_EQ(reopened.read("NeverWritten", "the default"), "the default");
}

TEST(SettingsFile, periodicSaveWithoutShutdown_leavesTheCountersInTheFile)
{
    configDir();
    QtSettingsStore store;
    PersistedSettings running(store);
    running.setCounters({.PreResetVal1 = 98765, .SecondsCounter = 4242});
    running.SaveCounters();

    EXPECT_TRUE(fileText().contains("PreResetVal1=98765"));
    EXPECT_TRUE(fileText().contains("KVOCounter=4242"));

    // The next run starts from them.
    QtSettingsStore nextRunStore;
    PersistedSettings nextRun(nextRunStore);
    nextRun.loadAtStartup();
    EXPECT_EQ(nextRun.values().counters.PreResetVal1, 98765);
    EXPECT_EQ(nextRun.values().counters.SecondsCounter, 4242);
}

} // namespace

#ifndef Q_OS_WIN
TEST(SettingsFile, theFileThatHoldsTheBrokersPassword_isReadableByItsOwnerAlone)
{
    configDir();
    QFile(settingsFilePath()).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    QtSettingsStore store;
    store.write("MqttPassword", "secret");
    store.write("ComPort", "3");
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
    EXPECT_FALSE(QFile(settingsFilePath()).permissions() & others);
    EXPECT_TRUE(QFile(settingsFilePath()).permissions() & QFile::ReadOwner);
}
#endif
