// Instances' names, their claims as files, the clash of two claims, and the claim folder:
// an instance that runs already or shares a port is refused, a file left by a killed
// process is not taken for a running one.
#include "instance/claim_folder.h"
#include "instance/instance_claim.h"
#include "platform/file_lock.h"
#include "platform/instance_name.h"
#include "settings/settings_values.h"

#include <QTemporaryDir>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

InstanceClaim running(std::string instance, int tcpPort, std::string device = "/dev/ttyUSB0")
{
    return {.instance = std::move(instance), .program = "kvo7730d", .pid = 100, .comPort = 1,
            .comDevice = std::move(device), .tcpPort = tcpPort};
}

TEST(InstanceName, lettersDigitsHyphensAndUnderscores_nameAnInstance_andDefaultNamesTheDefault)
{
    for (const char* good : {"garage", "heat-pump_2", "A1"})
        EXPECT_FALSE(instanceNameProblem(good)) << good;
    for (const char* bad : {"", "-x", "a/b", "..", "sp ace", "é"})
        EXPECT_TRUE(instanceNameProblem(bad)) << bad;
    EXPECT_TRUE(instanceNameProblem(std::string(65, 'a')));
    EXPECT_EQ(instanceNamed("default"), "");
    EXPECT_EQ(instanceFolder("/c/DARavev", ""), "/c/DARavev") << "the default instance's files stay where they were";
    EXPECT_EQ(instanceFolder("/c/DARavev", "garage"), "/c/DARavev/instances/garage");
}

TEST(InstanceClaim, madeFromTheSettings_namesWhatItUses_andSurvivesItsFile)
{
    SettingsValues values;
    values.ComPortNum = 3;
    values.TCPportNum = 1240;
    values.MqttEnable = true;
    values.MqttHost = "broker.lan";
    const InstanceClaim claim = claimOf({.instance = "garage", .program = "kvo7730d", .pid = 77}, values, "/dev/pts/4");
    EXPECT_EQ(claim.dashboardPort, 7730);
    ASSERT_TRUE(claim.mqtt);
    EXPECT_EQ(claim.mqtt->baseTopic, "kvo7730/com3") << "the topic a publisher of COM 3 uses when none is set";
    EXPECT_EQ(parseClaim(claimText(claim)), claim);

    values.HttpEnable = false;
    values.MqttEnable = false;
    const InstanceClaim quiet = claimOf({.program = "kvo7730"}, values, "/dev/pts/4");
    EXPECT_FALSE(quiet.dashboardPort);
    EXPECT_FALSE(quiet.mqtt);
    EXPECT_FALSE(parseClaim("not a claim"));
}

TEST(InstanceClaim, whatTwoInstancesShare_isNamedWithTheOtherInstanceAndItsProgram)
{
    InstanceClaim withDashboard = running("", 1234);
    withDashboard.dashboardPort = 7730;
    InstanceClaim publishing = running("", 1234, "/dev/ttyUSB5");
    publishing.tcpPort = 1300;
    publishing.mqtt = MqttClaim{"broker.lan:1883", "house/meter"};
    struct Case {
        InstanceClaim mine;
        InstanceClaim other;
        const char* sentence;
    };
    InstanceClaim sameTopic = running("b", 1301, "/dev/ttyUSB6");
    sameTopic.mqtt = MqttClaim{"Broker.lan:1883", "house/meter"};
    InstanceClaim otherBroker = sameTopic;
    otherBroker.mqtt->broker = "other.lan:1883";
    const Case cases[] = {
        {running("b", 1235), running("", 1234), "Instance \"b\" cannot start: its COM port 1 (/dev/ttyUSB0) is in use by "
                                                "the default instance (kvo7730d, process 100)."},
        {running("b", 1234, "/dev/pts/9"), running("", 1234),
         "Instance \"b\" cannot start: its TCP port 1234 is in use by the default instance (kvo7730d, process 100)."},
        {running("b", 7730, "/dev/pts/9"), withDashboard,
         "Instance \"b\" cannot start: its TCP port 7730 (the dashboard port there) is in use by the default instance "
         "(kvo7730d, process 100)."},
        {sameTopic, publishing, "Instance \"b\" cannot start: its MQTT base topic \"house/meter\" on Broker.lan:1883 is "
                                "in use by the default instance (kvo7730d, process 100)."},
        {otherBroker, publishing, nullptr},
        {running("b", 1235, "/dev/pts/9"), running("", 1234), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sentence ? c.sentence : "no clash");
        const auto sentence = clashWith(c.mine, std::span(&c.other, 1));
        if (c.sentence)
            EXPECT_EQ(sentence, c.sentence);
        else
            EXPECT_FALSE(sentence) << *sentence;
    }
}

struct FolderRig {
    QTemporaryDir runtime;
    ClaimFolder folder{runtime.path().toStdString() + "/claims"};
};

TEST(ClaimFolder, aSecondRunOfOneInstance_isRefusedNamingTheFirst)
{
    FolderRig rig;
    HeldClaim first(rig.folder);
    ASSERT_EQ(first.take(running("garage", 1235)).outcome, HeldClaim::Outcome::Taken);
    HeldClaim second(rig.folder);
    const HeldClaim::Result result = second.take(running("garage", 1299, "/dev/pts/1"));
    EXPECT_EQ(result.outcome, HeldClaim::Outcome::Refused);
    EXPECT_EQ(result.line, "Instance \"garage\" already runs (kvo7730d, process 100).");
}

TEST(ClaimFolder, aClashWithARunningInstance_isRefused_untilThatOneEnds)
{
    FolderRig rig;
    auto first = std::make_unique<HeldClaim>(rig.folder);
    ASSERT_EQ(first->take(running("", 1234)).outcome, HeldClaim::Outcome::Taken);
    EXPECT_EQ(rig.folder.running().size(), 1u);

    HeldClaim second(rig.folder);
    const HeldClaim::Result refused = second.take(running("garage", 1234, "/dev/pts/3"));
    EXPECT_EQ(refused.outcome, HeldClaim::Outcome::Refused);
    EXPECT_NE(refused.line.find("TCP port 1234 is in use by the default instance"), std::string::npos) << refused.line;
    EXPECT_EQ(rig.folder.running().size(), 1u) << "the refused claim is gone";

    first.reset();
    EXPECT_TRUE(rig.folder.running().empty());
    EXPECT_FALSE(std::filesystem::exists(rig.folder.claimFile(""))) << "an ended claim leaves no file";
    EXPECT_EQ(second.take(running("garage", 1234, "/dev/pts/3")).outcome, HeldClaim::Outcome::Taken);
}

TEST(ClaimFolder, filesLeftByAKilledProgram_areNotTakenForARunningOne)
{
    FolderRig rig;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The child claims and waits to be killed: nothing of its own tidies up after it.
        HeldClaim held(rig.folder);
        const bool taken = held.take(running("", 1234)).outcome == HeldClaim::Outcome::Taken;
        const char byte = taken ? '1' : '0';
        (void)!::write(ready[1], &byte, 1);
        ::pause();
        ::_exit(0);
    }
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ASSERT_EQ(byte, '1');
    EXPECT_TRUE(FileLock::heldNow(rig.folder.lockFile("")));
    HeldClaim whileAlive(rig.folder);
    EXPECT_EQ(whileAlive.take(running("b", 1234, "/dev/pts/7")).outcome, HeldClaim::Outcome::Refused);

    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(std::filesystem::exists(rig.folder.claimFile(""))) << "the killed program's claim file is still there";
    EXPECT_FALSE(FileLock::heldNow(rig.folder.lockFile("")));
    EXPECT_TRUE(rig.folder.running().empty());
    HeldClaim afterwards(rig.folder);
    EXPECT_EQ(afterwards.take(running("b", 1234, "/dev/pts/7")).outcome, HeldClaim::Outcome::Taken);
    HeldClaim restarted(rig.folder);
    EXPECT_EQ(restarted.take(running("", 1300, "/dev/pts/8")).outcome, HeldClaim::Outcome::Taken)
        << "the killed instance may start again";
}

TEST(ClaimFolder, aFolderThatCannotBeMade_letsTheProgramRunUnchecked_sayingWhy)
{
    QTemporaryDir scratch;
    const std::string blocker = scratch.path().toStdString() + "/file";
    std::ofstream{blocker} << "x";
    HeldClaim held(ClaimFolder(blocker + "/claims"));
    const HeldClaim::Result result = held.take(running("", 1234));
    EXPECT_EQ(result.outcome, HeldClaim::Outcome::Unchecked);
    EXPECT_NE(result.line.find("cannot be made"), std::string::npos) << result.line;
}

} // namespace
