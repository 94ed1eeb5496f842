// The stray bytes sent as noise between packets.
#include "simulator/stream_faults.h"

#include "link/packet_layout.h"

std::string noiseBytes(std::int64_t packetNumber)
{
    // A small linear congruential sequence: varied, yet the same on every run.
    auto seed = static_cast<std::uint32_t>(packetNumber) * 2654435761u + 12345u;
    std::string noise;
    for (int i = 0; i < StreamFaults::kNoiseLength; ++i) {
        seed = seed * 1103515245u + 12345u;
        auto byte = static_cast<std::uint8_t>(seed >> 16);
        if (byte == packet::kHeader0)
            byte = 0;
        noise += static_cast<char>(byte);
    }
    return noise;
}
