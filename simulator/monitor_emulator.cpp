// The emulated monitor: its commands, the passing of time and its packets.
#include "simulator/monitor_emulator.h"

#include "link/packet_layout.h"

#include <algorithm>
#include <cmath>

namespace {

// A word of the command protocol. A second word is known only right after its first.
struct Command {
    std::string_view word;
    std::string_view after;
    bool opensCommand;
    void (*apply)(MonitorState&);
};

void noAction(MonitorState&) {}

const Command kCommands[] = {
    {kAttentionWord, "", false, noAction},
    {"TOG", "", true, noAction},
    {"SET", "", true, noAction},
    {"PLR", "TOG", false, [](MonitorState& s) { s.realTimeOn = true; }},
    {"OFF", "TOG", false, [](MonitorState& s) { s.realTimeOn = false; }},
    {"NG1", "SET", false, [](MonitorState& s) { s.polarityReversed[0] = !s.polarityReversed[0]; }},
    {"NG2", "SET", false, [](MonitorState& s) { s.polarityReversed[1] = !s.polarityReversed[1]; }},
};

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
    for (const std::string& word : reader_.take(fromProgram)) {
        if (const auto byte = answer(word))
            reply += static_cast<char>(*byte);
    }
    return reply;
}

std::optional<std::uint8_t> MonitorEmulator::answer(const std::string& word)
{
    const Command* command = findCommand(word, prefix_);
    prefix_.clear();
    if (!command)
        return std::nullopt;
    const auto reply = responses_.replyTo(word);
    if (reply == kAcknowledgeByte) {
        command->apply(state_);
        if (command->opensCommand)
            prefix_ = word;
    }
    return reply;
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
        const double sign = state_.polarityReversed[channel] ? -1.0 : 1.0;
        state_.absWs[channel] += std::fabs(state_.watts[channel]) * seconds;
        state_.polWs[channel] = std::max(0.0, state_.polWs[channel] + sign * state_.watts[channel] * seconds);
    }
    state_.secondsCounter = (state_.secondsCounter + static_cast<std::uint32_t>(seconds)) & kSecondsCounterMask;
}

void MonitorEmulator::reset(int countStep)
{
    state_.absWs = {0, 0};
    state_.polWs = {0, 0};
    state_.resetCount = (state_.resetCount + countStep) % 8;
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
