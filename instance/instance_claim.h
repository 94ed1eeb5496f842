// What a running instance holds that no other instance may share (its COM port's device,
// its listening ports, its MQTT base topic), and the check of one claim against the others.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

struct SettingsValues;

struct MqttClaim {
    // "host:port" of the broker.
    std::string broker;
    std::string baseTopic;

    bool operator==(const MqttClaim&) const = default;
};

struct InstanceClaim {
    // Empty for the default instance.
    std::string instance;
    std::string program;
    std::int64_t pid = 0;
    int comPort = 0;
    // The device the COM port number leads to, links followed: two numbers (or two
    // instances' links) that reach one device are one port.
    std::string comDevice;
    int tcpPort = 0;
    // While the dashboard is served.
    std::optional<int> dashboardPort;
    // While the readings are published.
    std::optional<MqttClaim> mqtt;

    bool operator==(const InstanceClaim&) const = default;
};

// Who claims: the instance and the program that runs it.
struct ClaimHolder {
    std::string instance;
    std::string program;
    std::int64_t pid = 0;
};

// What an instance with these settings uses; comDevice is where its COM port leads.
InstanceClaim claimOf(const ClaimHolder& holder, const SettingsValues& values, std::string comDevice);

// The claim as the lines of its file, and back; nothing for a text that is no claim.
std::string claimText(const InstanceClaim& claim);
std::optional<InstanceClaim> parseClaim(std::string_view text);

// The first thing mine shares with another instance's claim: that instance, and what it is
// ("TCP port 1234", "COM port 3 (/dev/ttyUSB2)", ...).
struct Clash {
    const InstanceClaim* other;
    std::string shared;
};
std::optional<Clash> firstClash(const InstanceClaim& mine, std::span<const InstanceClaim> others);

// The sentence that refuses mine for the first thing it shares with a running instance;
// nothing when it shares none.
std::optional<std::string> clashWith(const InstanceClaim& mine, std::span<const InstanceClaim> running);

// "kvo7730d, process 1234": who holds a claim, for sentences.
std::string holderText(const InstanceClaim& claim);
