// What a person can recognise a COM port by: its device, the adapter's description,
// maker and serial number, its stable /dev/serial/by-id name and the per-user link
// that names it; and pinning a port number to the adapter behind it.
#pragma once

#include <optional>
#include <string>
#include <vector>

// One serial device as the system describes it.
struct SerialDeviceFacts {
    std::string location;
    std::string description;
    std::string manufacturer;
    std::string serialNumber;
};

struct PortFolders {
    // Holds the per-user com<n> links (see comPortLinkFolder).
    std::string configDir;
    // Where the system keeps the stable names of USB serial adapters.
    std::string byIdFolder;
    // The instance whose links they are; empty for the default one.
    std::string instance;

    static PortFolders ofThisUser(const std::string& instance = {});
};

class PortIdentities {
public:
    PortIdentities(PortFolders folders, std::vector<SerialDeviceFacts> devices);

    // The port number, followed by whatever is known about it.
    std::string rowText(int portNumber) const;

    // Points the per-user link com<n> at the by-id name of the port's adapter, so that
    // the number keeps following it after it is unplugged or renumbered. The line for
    // the status list; nothing when the port has no by-id name or already follows it.
    std::optional<std::string> followAdapter(int portNumber) const;

private:
    std::string byIdPath(const std::string& device) const;
    const SerialDeviceFacts* facts(const std::string& device) const;

    PortFolders folders_;
    std::vector<SerialDeviceFacts> devices_;
};

// The serial devices present now.
std::vector<SerialDeviceFacts> systemSerialDevices();
