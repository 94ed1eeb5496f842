// COM port numbers and the devices they name on this computer.
#pragma once

#include <string>

// Port n on Windows is "COMn". Elsewhere it is the per-user link
// <configDir>/DARavev/ports/com<n> when that exists, otherwise COM1-16 are
// /dev/ttyUSB0-15, COM17-32 /dev/ttyACM0-15 and COM33-64 /dev/ttyS0-31.
// Empty for a number that names no port. A named instance has links of its own
// (see comPortLinkFolder).
std::string comPortDevicePath(int portNumber, const std::string& configDir, const std::string& instance = {});

// Where the per-user link for port n lives (whether or not it exists).
std::string comPortLinkPath(int portNumber, const std::string& configDir, const std::string& instance = {});

// The folder that holds the per-user port links: <configDir>/DARavev/ports for the
// default instance, <configDir>/DARavev/instances/<name>/ports for a named one.
std::string comPortLinkFolder(const std::string& configDir, const std::string& instance = {});

// The user's configuration directory: $XDG_CONFIG_HOME, else ~/.config.
std::string userConfigDir();

constexpr int kHighestComPort = 64;
