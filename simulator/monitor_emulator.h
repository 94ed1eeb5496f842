// An emulated KVO-7730: its measurement state, its command protocol and the
// real-time packets it streams.
#pragma once

#include "simulator/command_reader.h"
#include "simulator/response_mode.h"
#include "simulator/stream_faults.h"
#include "monitor_setup/settings_block.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct MonitorState {
    double volts = 120.0;
    // Per channel: average power (negative while generating) and power factor.
    std::array<double, 2> watts{0, 0};
    std::array<double, 2> powerFactor{1, 1};
    // Per channel: the polarity has been toggled, so power flows into the polarised
    // counter with the opposite sign.
    std::array<bool, 2> polarityReversed{false, false};
    // Watt-second counters: absolute (counts every watt-second) and polarised (counts
    // only what is generated).
    std::array<double, 2> absWs{0, 0};
    std::array<double, 2> polWs{0, 0};
    std::uint32_t secondsCounter = 0;  // 24-bit on the wire
    int resetCount = 0;                // 0-7 on the wire
    bool realTimeOn = false;
    // CT and PT set-up, storage interval, firmware and device ID, as "SET" "RCV" sends them.
    MonitorSettings configuration;
};

// A change of channel 1's power during a run: once packet afterPackets (counted from 1)
// has been sent, the channel draws watts1, so the packets after it show the step.
// afterPackets 0 means no step.
struct PowerStep {
    int afterPackets = 0;
    double watts1 = 0;
};

// Deliberate faults for one packet.
struct PacketFaults {
    bool wrongChecksum = false;
    bool wrongTrailer = false;
};

struct SetupSequence;

class MonitorEmulator {
public:
    MonitorEmulator() = default;
    MonitorEmulator(const MonitorState& state, const ResponseMode& responses, const StreamFaults& faults,
                    const PowerStep& step = {});

    MonitorState& state() { return state_; }
    const MonitorState& state() const { return state_; }
    bool realTimeOn() const { return state_.realTimeOn; }

    // Bytes from the program in, the monitor's reply bytes out. The attention byte and
    // "TOG" + "PLR" (real time on), "TOG" + "OFF" (off), "SET", "SET" + "NG1"/"NG2"
    // (toggle a channel's polarity), "SET" + "RCV" (252, then the 33-byte settings
    // block), "RQS" + "RST" (reset) and the set-up sequences "SET" "CT1"/"CT2" "TYP" v
    // "RNG" v, "SET" "PTT" v "PTR" v, "SET" "IVL" hi lo, "SET" "UID" v are known; each
    // accepted word and value byte is answered with 252. A word the monitor does not
    // know, or a second word without its first, gets no answer. A word the response mode
    // does not answer with 252 is not carried out and ends its sequence; a value byte
    // it does not answer is not stored, and the sequence goes on.
    std::string receive(std::string_view fromProgram);

    // Lets the given whole seconds pass and returns what the monitor sends meanwhile:
    // one packet a second while real time is on, with the stream faults applied.
    std::string tick(int elapsedSeconds);

    // Lets time pass: counters advance by the channel powers, the seconds counter by
    // the seconds (wrapping at 24 bits).
    void advance(int seconds);

    // What a monitor reset does: counters back to zero, the reset count moves on by
    // the step (wrapping at 8).
    void reset(int countStep = 1);

    std::int64_t packetsSent() const { return packetsSent_; }

    // The 43 wire bytes of a packet built from the current state.
    std::string packet(PacketFaults faults = {}) const;

private:
    // The reply to a known word, after carrying it out when it is accepted.
    std::string answer(const std::string& word);
    // The reply to a value byte of a set-up sequence, after storing it when accepted.
    std::string answerValue(std::uint8_t value);
    bool awaitingValue() const;
    std::string nextPacket();

    MonitorState state_;
    ResponseMode responses_;
    StreamFaults faults_;
    PowerStep step_;
    CommandReader reader_;
    // The accepted first word of a two-word command ("TOG", "SET" or "RQS"), if any.
    std::string prefix_;
    // The set-up sequence under way ("CT1", "PTT", ...) and how far it has come.
    const SetupSequence* sequence_ = nullptr;
    std::size_t sequenceStep_ = 0;
    std::int64_t packetsSent_ = 0;
};

// The checksum the receiver expects for positions 1 to 39 (starting from the header's 510,
// reduced by 256 whenever the running value exceeds 255).
int packetChecksum(const std::string& packetWithoutChecksum);
