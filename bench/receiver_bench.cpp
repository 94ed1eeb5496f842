// Throughput of the packet receiver and decoder on long byte streams, through the
// fake serial port, clock and event loop of tests/support.
#include "receiver_rig.h"

#include "simulator/monitor_emulator.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>

namespace {

constexpr int kPackets = 10000;

// kPackets packets one second apart, with changing powers and power factors; before
// each packet noiseBytes random bytes that contain no 254 (so no packet is lost to them).
std::string packetStream(int noiseBytes)
{
    std::mt19937 rng(7730);
    MonitorEmulator monitor;
    std::string stream;
    for (int i = 0; i < kPackets; ++i) {
        for (int n = 0; n < noiseBytes; ++n) {
            std::uint8_t byte = 0;
            do {
                byte = static_cast<std::uint8_t>(rng() & 0xFF);
            } while (byte == 254);
            stream += static_cast<char>(byte);
        }
        MonitorState& state = monitor.state();
        state.volts = 110 + (rng() % 200) / 10.0;
        state.watts = {static_cast<double>(rng() % 3000), static_cast<double>(rng() % 3000)};
        state.powerFactor = {0.5 + (rng() % 500) / 1000.0, 0.5 + (rng() % 500) / 1000.0};
        monitor.advance(1);
        stream += monitor.packet();
    }
    return stream;
}

// One iteration: a fresh receiver takes the whole stream from the port in one
// receive notification; every packet must be decoded and announced.
void receiveStream(benchmark::State& state, const std::string& stream)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto rig = std::make_unique<ReceiverRig>();
        rig->keepPosted = false;
        rig->keepFactorTexts = false;
        rig->port.feed(stream);
        state.ResumeTiming();

        rig->port.notify();

        state.PauseTiming();
        if (rig->posts != kPackets || rig->port.unread() != 0) {
            state.SkipWithError("not every packet was decoded");
            break;
        }
        rig.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(stream.size()));
    state.counters["packets/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * kPackets, benchmark::Counter::kIsRate);
}

void BM_ReceiveAndDecode_Packets(benchmark::State& state)
{
    static const std::string stream = packetStream(0);
    receiveStream(state, stream);
}
BENCHMARK(BM_ReceiveAndDecode_Packets)->Unit(benchmark::kMillisecond);

// Half the bytes are noise that the header hunt drops.
void BM_ReceiveAndDecode_PacketsWithNoise(benchmark::State& state)
{
    static const std::string stream = packetStream(43);
    receiveStream(state, stream);
}
BENCHMARK(BM_ReceiveAndDecode_PacketsWithNoise)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
