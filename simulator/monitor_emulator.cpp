// The emulated monitor: its commands, the passing of time and its packets.
#include "simulator/monitor_emulator.h"

#include "link/packet_layout.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// A word of the command protocol. A second word is known only right after its first.
struct Command {
    std::string_view word;
    std::string_view after;
    bool opensCommand;
    void (*apply)(MonitorState&);
};

void noAction(MonitorState&) {}

void resetCounters(MonitorState& state, int countStep)
{
    state.absWs = {0, 0};
    state.polWs = {0, 0};
    state.resetCount = (state.resetCount + countStep) % 8;
}

const Command kCommands[] = {
    {kAttentionWord, "", false, noAction},
    {"TOG", "", true, noAction},
    {"SET", "", true, noAction},
    {"PLR", "TOG", false, [](MonitorState& s) { s.realTimeOn = true; }},
    {"OFF", "TOG", false, [](MonitorState& s) { s.realTimeOn = false; }},
    {"NG1", "SET", false, [](MonitorState& s) { s.polarityReversed[0] = !s.polarityReversed[0]; }},
    {"NG2", "SET", false, [](MonitorState& s) { s.polarityReversed[1] = !s.polarityReversed[1]; }},
    {"RCV", "SET", false, noAction},
    {"RQS", "", true, noAction},
    {"RST", "RQS", false, [](MonitorState& s) { resetCounters(s, 1); }},
};

// The block is sent right behind the acknowledgement of "RCV".
constexpr std::string_view kReadSettingsWord = "RCV";

} // namespace

// A set-up command after "SET" and what follows it: words, and value bytes (an empty
// word) stored as they arrive.
struct SetupStep {
    std::string_view word;
    void (*store)(MonitorSettings&, std::uint8_t);
};

struct SetupSequence {
    std::string_view command;
    std::vector<SetupStep> steps;
};

namespace {

void noStore(MonitorSettings&, std::uint8_t) {}

const SetupSequence kSetupSequences[] = {
    {"CT1",
     {{"TYP", noStore}, {"", [](MonitorSettings& c, std::uint8_t v) { c.ct1Type = v; }}, {"RNG", noStore},
      {"", [](MonitorSettings& c, std::uint8_t v) { c.ct1Range = v; }}}},
    {"CT2",
     {{"TYP", noStore}, {"", [](MonitorSettings& c, std::uint8_t v) { c.ct2Type = v; }}, {"RNG", noStore},
      {"", [](MonitorSettings& c, std::uint8_t v) { c.ct2Range = v; }}}},
    {"PTT",
     {{"", [](MonitorSettings& c, std::uint8_t v) { c.ptType = v; }}, {"PTR", noStore},
      {"", [](MonitorSettings& c, std::uint8_t v) { c.ptRange = v; }}}},
    {"IVL",
     {{"", [](MonitorSettings& c, std::uint8_t v) { c.interval = static_cast<std::uint16_t>(v << 8 | (c.interval & 0xFF)); }},
      {"", [](MonitorSettings& c, std::uint8_t v) { c.interval = static_cast<std::uint16_t>((c.interval & 0xFF00) | v); }}}},
    {"UID", {{"", [](MonitorSettings& c, std::uint8_t v) { c.deviceId = v; }}}},
};

const SetupSequence* findSetupSequence(const std::string& word)
{
    for (const SetupSequence& sequence : kSetupSequences) {
        if (sequence.command == word)
            return &sequence;
    }
    return nullptr;
}

const Command* findCommand(const std::string& word, const std::string& prefix)
{
    for (const Command& command : kCommands) {
        if (command.word == word && (command.after.empty() || command.after == prefix))
            return &command;
    }
    return nullptr;
}

constexpr std::uint32_t kSecondsCounterMask = 0xFFFFFF;
// Positions count from the last header byte, which sits at wire offset 2.
constexpr int kPositionToWire = 2;

void putLittleEndian(std::string& bytes, int position, std::uint64_t value, int width)
{
    for (int i = 0; i < width; ++i)
        bytes[kPositionToWire + position + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint64_t counterValue(double wattSeconds)
{
    return static_cast<std::uint64_t>(std::max(0.0, std::floor(wattSeconds))) & 0xFFFFFFFFFFull;
}

} // namespace

MonitorEmulator::MonitorEmulator(const MonitorState& state, const ResponseMode& responses,
                                 const StreamFaults& faults, const PowerStep& step)
    : state_(state), responses_(responses), faults_(faults), step_(step)
{
}

std::string MonitorEmulator::receive(std::string_view fromProgram)
{
    std::string reply;
    for (const char c : fromProgram) {
        // A value byte may look like anything, a command letter or the attention byte.
        if (awaitingValue()) {
            reply += answerValue(static_cast<std::uint8_t>(c));
            continue;
        }
        for (const std::string& word : reader_.take(std::string_view(&c, 1)))
            reply += answer(word);
    }
    return reply;
}

bool MonitorEmulator::awaitingValue() const
{
    return sequence_ && sequenceStep_ < sequence_->steps.size() && sequence_->steps[sequenceStep_].word.empty();
}

std::string MonitorEmulator::answerValue(std::uint8_t value)
{
    // Value bytes answer to the name of the word they follow: "TYP+", "IVL+".
    std::size_t named = sequenceStep_;
    while (named > 0 && sequence_->steps[named - 1].word.empty())
        --named;
    const std::string_view after = named == 0 ? sequence_->command : sequence_->steps[named - 1].word;
    const auto reply = responses_.replyTo(std::string(after) + '+');
    if (reply == kAcknowledgeByte)
        sequence_->steps[sequenceStep_].store(state_.configuration, value);
    if (++sequenceStep_ == sequence_->steps.size())
        sequence_ = nullptr;
    return reply ? std::string(1, static_cast<char>(*reply)) : std::string();
}

std::string MonitorEmulator::answer(const std::string& word)
{
    if (sequence_) {
        const SetupSequence* sequence = sequence_;
        sequence_ = nullptr;
        if (sequence->steps[sequenceStep_].word == word) {
            const auto reply = responses_.replyTo(word);
            if (reply == kAcknowledgeByte) {
                sequence_ = sequence;
                ++sequenceStep_;
            }
            return reply ? std::string(1, static_cast<char>(*reply)) : std::string();
        }
    }
    const SetupSequence* setup = prefix_ == "SET" ? findSetupSequence(word) : nullptr;
    const Command* command = findCommand(word, prefix_);
    prefix_.clear();
    if (!command && !setup)
        return {};
    const auto reply = responses_.replyTo(word);
    if (!reply)
        return {};
    std::string sent(1, static_cast<char>(*reply));
    if (reply != kAcknowledgeByte)
        return sent;
    if (setup) {
        sequence_ = setup;
        sequenceStep_ = 0;
        return sent;
    }
    command->apply(state_);
    if (command->opensCommand)
        prefix_ = word;
    if (word == kReadSettingsWord)
        sent += encodeSettingsBlock(state_.configuration).substr(0, responses_.settingsBlockLength);
    return sent;
}

std::string MonitorEmulator::tick(int elapsedSeconds)
{
    std::string sent;
    for (int second = 0; second < elapsedSeconds; ++second) {
        advance(1);
        if (state_.realTimeOn)
            sent += nextPacket();
    }
    return sent;
}

std::string MonitorEmulator::nextPacket()
{
    const std::int64_t number = ++packetsSent_;
    if (StreamFaults::due(faults_.resetEvery, number))
        reset(faults_.resetStep);
    if (StreamFaults::due(faults_.secondsBackEvery, number))
        state_.secondsCounter -= std::min(state_.secondsCounter, StreamFaults::kSecondsStepBack);
    std::string sent = StreamFaults::due(faults_.noiseEvery, number) ? noiseBytes(number) : std::string();
    sent += packet({StreamFaults::due(faults_.wrongChecksumEvery, number),
                    StreamFaults::due(faults_.wrongTrailerEvery, number)});
    if (number == step_.afterPackets)
        state_.watts[0] = step_.watts1;
    return sent;
}

void MonitorEmulator::advance(int seconds)
{
    for (int channel = 0; channel < 2; ++channel) {
        // Power flowing back to the grid is what the monitor sees as generated: the
        // polarised counter moves only then, the absolute counter always.
        const double sign = state_.polarityReversed[channel] ? -1.0 : 1.0;
        const double energy = std::fabs(state_.watts[channel]) * seconds;
        state_.absWs[channel] += energy;
        if (sign * state_.watts[channel] < 0)
            state_.polWs[channel] += energy;
    }
    state_.secondsCounter = (state_.secondsCounter + static_cast<std::uint32_t>(seconds)) & kSecondsCounterMask;
}

void MonitorEmulator::reset(int countStep)
{
    resetCounters(state_, countStep);
}

std::string MonitorEmulator::packet(PacketFaults faults) const
{
    std::string bytes(packet::kWireLength, '\0');
    bytes[0] = static_cast<char>(packet::kHeader0);
    bytes[1] = static_cast<char>(packet::kHeader1);
    bytes[2] = static_cast<char>(packet::kHeader2);

    const auto tenths = static_cast<std::uint64_t>(std::clamp(std::lround(state_.volts * 10), 0L, 32767L));
    putLittleEndian(bytes, packet::kVoltsHigh, tenths >> 8, 1);
    putLittleEndian(bytes, packet::kVoltsLow, tenths & 0xFF, 1);
    putLittleEndian(bytes, packet::kAbsWs1, counterValue(state_.absWs[0]), 5);
    putLittleEndian(bytes, packet::kAbsWs2, counterValue(state_.absWs[1]), 5);
    putLittleEndian(bytes, packet::kPolWs1, counterValue(state_.polWs[0]), 5);
    putLittleEndian(bytes, packet::kPolWs2, counterValue(state_.polWs[1]), 5);
    const int factorPositions[] = {packet::kPowerFactor1, packet::kPowerFactor2};
    for (int channel = 0; channel < 2; ++channel) {
        const long raw = std::clamp(std::lround(state_.powerFactor[channel] * 65536), 0L, 65535L);
        putLittleEndian(bytes, factorPositions[channel], static_cast<std::uint64_t>(raw), 2);
    }
    putLittleEndian(bytes, packet::kFlags, static_cast<std::uint64_t>(state_.resetCount & packet::kResetCountMask), 1);
    putLittleEndian(bytes, packet::kSecondsCounter, state_.secondsCounter & kSecondsCounterMask, 3);
    putLittleEndian(bytes, packet::kTrailer0Position, faults.wrongTrailer ? 0 : packet::kTrailer0, 1);
    putLittleEndian(bytes, packet::kTrailer1Position, packet::kTrailer1, 1);

    const int checksum = packetChecksum(bytes.substr(0, packet::kWireLength - 1));
    putLittleEndian(bytes, packet::kChecksumPosition,
                    static_cast<std::uint64_t>((faults.wrongChecksum ? checksum + 1 : checksum) & 0xFF), 1);
    return bytes;
}

int packetChecksum(const std::string& packetWithoutChecksum)
{
    int running = packet::kHeaderSum;
    for (std::size_t i = 3; i < packetWithoutChecksum.size(); ++i) {
        running += static_cast<std::uint8_t>(packetWithoutChecksum[i]);
        if (running > 255)
            running -= 256;
    }
    return running;
}
