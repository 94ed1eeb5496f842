// Port descriptions and the per-user links that pin a number to an adapter.
#include "connection/port_identities.h"

#include "platform/com_port_path.h"

#include <QSerialPortInfo>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The device a path leads to, through any links; the path itself when it leads nowhere.
std::string resolved(const std::string& path)
{
    std::error_code error;
    const fs::path real = fs::canonical(path, error);
    return error ? path : real.string();
}

void addPart(std::string& row, const std::string& part)
{
    if (part.empty())
        return;
    row += row.find("   ") == std::string::npos ? "   " : ", ";
    row += part;
}

} // namespace

PortFolders PortFolders::ofThisUser(const std::string& instance)
{
    return {.configDir = userConfigDir(), .byIdFolder = "/dev/serial/by-id", .instance = instance};
}

PortIdentities::PortIdentities(PortFolders folders, std::vector<SerialDeviceFacts> devices)
    : folders_(std::move(folders)),
      devices_(std::move(devices))
{
}

std::string PortIdentities::byIdPath(const std::string& device) const
{
    std::error_code error;
    for (fs::directory_iterator entry(folders_.byIdFolder, error), end; !error && entry != end;
         entry.increment(error)) {
        if (resolved(entry->path().string()) == device)
            return entry->path().string();
    }
    return {};
}

const SerialDeviceFacts* PortIdentities::facts(const std::string& device) const
{
    for (const SerialDeviceFacts& candidate : devices_) {
        if (resolved(candidate.location) == device)
            return &candidate;
    }
    return nullptr;
}

std::string PortIdentities::rowText(int portNumber) const
{
    std::string row = std::to_string(portNumber);
    const std::string path = comPortDevicePath(portNumber, folders_.configDir, folders_.instance);
    std::error_code error;
    // What the link already says is not said again.
    std::string linkTarget;
    if (fs::is_symlink(path, error)) {
        linkTarget = fs::read_symlink(path, error).string();
        addPart(row, fs::path(path).filename().string() + " -> " + (error ? std::string("?") : linkTarget));
    }
    if (!fs::exists(path, error))
        return row;
    const std::string device = resolved(path);
    if (device != linkTarget)
        addPart(row, device);
    if (const SerialDeviceFacts* known = facts(device)) {
        addPart(row, known->description);
        addPart(row, known->manufacturer);
        if (!known->serialNumber.empty())
            addPart(row, "serial " + known->serialNumber);
    }
    if (const std::string byId = byIdPath(device); !byId.empty() && byId != linkTarget)
        addPart(row, "by-id " + fs::path(byId).filename().string());
    return row;
}

std::optional<std::string> PortIdentities::followAdapter(int portNumber) const
{
    const std::string path = comPortDevicePath(portNumber, folders_.configDir, folders_.instance);
    const std::string byId = path.empty() ? std::string() : byIdPath(resolved(path));
    if (byId.empty())
        return std::nullopt;
    const std::string link = comPortLinkPath(portNumber, folders_.configDir, folders_.instance);
    std::error_code error;
    if (fs::is_symlink(link, error) && fs::read_symlink(link, error) == fs::path(byId))
        return std::nullopt;
    // A fresh link renamed over the old one: the number never names nothing in between.
    const std::string fresh = link + ".new";
    fs::create_directories(comPortLinkFolder(folders_.configDir, folders_.instance), error);
    fs::remove(fresh, error);
    fs::create_symlink(byId, fresh, error);
    if (!error)
        fs::rename(fresh, link, error);
    const std::string number = std::to_string(portNumber);
    if (error) {
        const std::string reason = error.message();
        fs::remove(fresh, error);
        return "COM " + number + " could not be tied to " + byId + ": " + reason + ".";
    }
    return "COM " + number + " now follows " + fs::path(byId).filename().string() + " (" + link
        + "), even when it is unplugged or renumbered.";
}

std::vector<SerialDeviceFacts> systemSerialDevices()
{
    std::vector<SerialDeviceFacts> devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        devices.push_back({.location = info.systemLocation().toStdString(),
                           .description = info.description().toStdString(),
                           .manufacturer = info.manufacturer().toStdString(),
                           .serialNumber = info.serialNumber().toStdString()});
    return devices;
}
