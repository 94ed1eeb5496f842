// Raw packet bytes for tests: read and patch the fields of a 43-byte wire packet.
//
// Header-only; a test that includes it links the simulator library (packetChecksum).
#pragma once

#include "link/packet_layout.h"
#include "simulator/monitor_emulator.h"

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <utility>

namespace test_packet {

// Positions count the bytes after the three header bytes.
constexpr int wireOffset(int position) { return position + 2; }

inline std::uint8_t at(const std::string& wire, int position)
{
    return static_cast<std::uint8_t>(wire.at(wireOffset(position)));
}

// Sets one byte; the checksum byte is left as it was.
inline void set(std::string& wire, int position, std::uint8_t value)
{
    wire.at(wireOffset(position)) = static_cast<char>(value);
}

// Sets a little-endian field of `width` bytes; the checksum byte is left as it was.
inline void setLittleEndian(std::string& wire, int position, std::uint64_t value, int width)
{
    for (int i = 0; i < width; ++i)
        set(wire, position + i, static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF));
}

// Writes the checksum that the receiver expects for positions 1 to 39. Throws when the
// running value never falls to 255 or less (no checksum byte can then match).
inline void reseal(std::string& wire)
{
    const int checksum = packetChecksum(wire.substr(0, packet::kWireLength - 1));
    if (checksum > 255)
        throw std::logic_error("packet cannot carry a matching checksum");
    set(wire, packet::kChecksumPosition, static_cast<std::uint8_t>(checksum));
}

// A copy with the given (position, value) bytes replaced and the checksum recomputed.
inline std::string patched(std::string wire, std::initializer_list<std::pair<int, int>> bytes)
{
    for (const auto& [position, value] : bytes)
        set(wire, position, static_cast<std::uint8_t>(value));
    reseal(wire);
    return wire;
}

// Positions 1 to 39 as the receiver stores them (indexes 0 and 40 to 60 stay 0).
inline PacketBytes positions(const std::string& wire)
{
    PacketBytes bytes{};
    for (int p = 1; p < packet::kChecksumPosition; ++p)
        bytes[p] = at(wire, p);
    return bytes;
}

} // namespace test_packet
