// The polarity toggle: what it writes, when, and how it fails, against a scripted
// monitor on virtual time.
#include "link_rig.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

const std::string kAck = WordPeer::attentionWord();
const std::string kPortClosed = "Open COM port and establish communication with monitor befor using this command.";

class TogglePolarity : public ::testing::Test, protected LinkRig {
protected:
    void monitorAcknowledgesAll() { monitorAnswers(peer_script::acknowledgeAllBut({})); }
};

TEST_F(TogglePolarity, channels1And2_writeAttentionSetAndTheirCommand20msApart)
{
    for (const auto& [channel, command] : {std::pair{1, "NG1"}, std::pair{2, "NG2"}}) {
        SCOPED_TRACE(channel);
        LinkRig rig;
        rig.openPort();
        rig.monitorAnswers(peer_script::acknowledgeAllBut({}));

        EXPECT_EQ(rig.run(rig.polarity.toggle(channel)), std::nullopt);
        EXPECT_EQ(rig.port.writes, (std::vector<std::string>{kAck, "SET", command}));
        EXPECT_EQ(rig.port.writeTimesMs, (std::vector<std::int64_t>{0, 20, 40}));
        EXPECT_EQ(rig.clock.elapsedMs(), 60);
        // The replies are left for whoever reads next.
        EXPECT_EQ(rig.port.unread(), 3u);
    }
}

TEST_F(TogglePolarity, channel3_writesAttentionAndSetOnly)
{
    openPort();
    monitorAcknowledgesAll();

    EXPECT_EQ(run(polarity.toggle(3)), std::nullopt);
    EXPECT_EQ(port.written, kAck + "SET");
}

TEST_F(TogglePolarity, waitingInput_isDiscardedBeforeTheAttentionByte)
{
    openPort();
    port.feed("\x01\x02\x03");
    monitorAcknowledgesAll();

    run(polarity.toggle(1));
    EXPECT_EQ(port.unread(), 3u);
    EXPECT_EQ(port.readByte(), 252);
}

TEST_F(TogglePolarity, failures_areNamedAndTheInputIsFreeAfterwards)
{
    struct Case {
        const char* name;
        std::function<void(LinkRig&)> arrange;
        std::string written;
        std::string failure;
    };
    const Case cases[] = {
        {"no reply", [](LinkRig& rig) { rig.openPort(); }, kAck + "SETNG1", "Toggle operation failed. Try again"},
        {"port closed", [](LinkRig&) {}, "", kPortClosed},
        {"port closed during the first pause",
         [](LinkRig& rig) {
             rig.openPort();
             rig.events.callAfter(10, [&rig] { rig.port.close(); });
         },
         kAck, kPortClosed},
        {"write refused by the open port",
         [](LinkRig& rig) {
             rig.openPort();
             rig.port.writeSucceeds = false;
         },
         "", "Error 57"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LinkRig rig;
        c.arrange(rig);
        const std::size_t opensBefore = rig.port.opens.size();

        EXPECT_EQ(rig.run(rig.polarity.toggle(1)), std::optional<std::string>(c.failure));
        EXPECT_EQ(rig.port.written, c.written);
        EXPECT_EQ(rig.port.opens.size(), opensBefore) << "the toggle never opens the port";
        EXPECT_FALSE(rig.control.inputHeldAfterStop());
    }
}

TEST_F(TogglePolarity, afterASuccessfulStop_releasesTheInput)
{
    openPort();
    monitorAcknowledgesAll();
    ASSERT_TRUE(run(control.stop()));
    ASSERT_TRUE(control.inputHeldAfterStop());

    run(polarity.toggle(1));
    EXPECT_FALSE(control.inputHeldAfterStop());
}

} // namespace
