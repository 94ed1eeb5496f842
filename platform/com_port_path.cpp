// Mapping of COM port numbers to device names.
#include "platform/com_port_path.h"

#include "platform/instance_name.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

std::string comPortLinkFolder(const std::string& configDir, const std::string& instance)
{
    return instanceFolder(configDir + "/DARavev", instance) + "/ports";
}

std::string comPortLinkPath(int portNumber, const std::string& configDir, const std::string& instance)
{
    return comPortLinkFolder(configDir, instance) + "/com" + std::to_string(portNumber);
}

std::string comPortDevicePath(int portNumber, const std::string& configDir, const std::string& instance)
{
    if (portNumber < 1 || portNumber > kHighestComPort)
        return {};
#ifdef _WIN32
    (void)configDir;
    (void)instance;
    return "COM" + std::to_string(portNumber);
#else
    const std::string link = comPortLinkPath(portNumber, configDir, instance);
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
