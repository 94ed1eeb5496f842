// Mapping of COM port numbers to device names.
#include "platform/com_port_path.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

std::string comPortLinkFolder(const std::string& configDir)
{
    return configDir + "/DARavev/ports";
}

std::string comPortLinkPath(int portNumber, const std::string& configDir)
{
    return comPortLinkFolder(configDir) + "/com" + std::to_string(portNumber);
}

std::string comPortDevicePath(int portNumber, const std::string& configDir)
{
    if (portNumber < 1 || portNumber > kHighestComPort)
        return {};
#ifdef _WIN32
    (void)configDir;
    return "COM" + std::to_string(portNumber);
#else
    const std::string link = comPortLinkPath(portNumber, configDir);
    std::error_code ignored;
    if (std::filesystem::is_symlink(link, ignored))
        return link;
    if (portNumber <= 16)
        return "/dev/ttyUSB" + std::to_string(portNumber - 1);
    if (portNumber <= 32)
        return "/dev/ttyACM" + std::to_string(portNumber - 17);
    return "/dev/ttyS" + std::to_string(portNumber - 33);
#endif
}

std::string userConfigDir()
{
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        return xdg;
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.config";
    return ".config";
}
