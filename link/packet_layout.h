// The monitor's 43-byte real-time packet: header, field positions, trailer.
//
// Positions count the bytes after the three header bytes (wire offset = position + 2).
#pragma once

#include <array>
#include <cstdint>

namespace packet {

constexpr std::uint8_t kHeader0 = 254;
constexpr std::uint8_t kHeader1 = 255;
constexpr std::uint8_t kHeader2 = 1;
constexpr int kHeaderSum = kHeader0 + kHeader1 + kHeader2;
constexpr std::uint8_t kTrailer0 = 255;
constexpr std::uint8_t kTrailer1 = 254;

constexpr int kWireLength = 43;

constexpr int kVoltsHigh = 1;        // big-endian pair, tenths of a volt
constexpr int kVoltsLow = 2;
constexpr int kAbsWs1 = 3;           // 40-bit little-endian watt-second counters
constexpr int kAbsWs2 = 8;
constexpr int kPolWs1 = 13;
constexpr int kPolWs2 = 18;
constexpr int kPowerFactor1 = 23;    // 16-bit little-endian, units of 1/65536
constexpr int kPowerFactor2 = 25;
constexpr int kFlags = 29;           // bits 0-2: the monitor's reset count
constexpr int kSecondsCounter = 35;  // 24-bit little-endian
constexpr int kTrailer0Position = 38;
constexpr int kTrailer1Position = 39;
constexpr int kChecksumPosition = 40;

constexpr int kResetCountMask = 7;

} // namespace packet

// Positions 1 to 39 of the packet being collected, stored at their own index.
using PacketBytes = std::array<std::uint8_t, 61>;
