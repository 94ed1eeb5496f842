// The program-wide state: the current readings and the flags and values that the
// subsystems share. One instance per running program, passed by reference.
#pragma once

#include "link/live_readings.h"

#include <array>
#include <cstdint>
#include <string>

// How the monitor is reached (stored as "ZigbeeVersion").
namespace comm_method {
constexpr std::uint8_t None = 0;
constexpr std::uint8_t ZigbeeVersion1 = 1;
constexpr std::uint8_t ZigbeeVersion2 = 2;
constexpr std::uint8_t UsbCable = 8;
} // namespace comm_method

struct ProgramState {
    LiveReadings readings;

    // A command exchange owns the serial input; the packet receiver stays away.
    bool CmdInProgress = false;
    bool RealTimeOn = false;
    bool RTwasOn = false;
    // Watchdog ticks since the last packet byte.
    std::int16_t NoDataSeconds = 0;

    std::uint8_t CommMethod = comm_method::None;
    bool ZigbeeFound = false;
    std::int16_t ComPortNum = 1;
    std::int16_t PortCount = 0;
    std::array<std::int16_t, 35> PortList{};
    std::int16_t TCPportNum = 1234;

    bool StartupComIsOn = false;
    bool StartupRTLisOn = false;
    bool StartupServerIsOn = false;
    bool StartupListen = false;

    std::uint8_t AutoWriteLocal = 0;
    double Rate = 0.126;

    std::string VexUser = "****";
    std::int16_t VexThresT = 60;
    std::int16_t VexThres1 = 60;
    std::int16_t VexThres2 = 60;
    bool VexWriteEnable = false;
    // The web service's host name, with ":port" for a service on another port than 80.
    std::string WebHost = "www.kvo7730.com";

    // The polarised counters' previous values, kept in the store and carried through.
    double PrevPolWs1 = 0;
    double PrevPolWs2 = 0;

    std::string AppVersion = "1.00 beta";
};
