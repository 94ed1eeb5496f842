// Creating and removing the per-user COM port link.
#include "simulator/com_port_link.h"

#include "platform/com_port_path.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

ComPortLink::ComPortLink(int portNumber, const std::string& configDir, const std::string& target,
                         const std::string& instance)
    : path_(comPortLinkPath(portNumber, configDir, instance)), target_(target)
{
    fs::create_directories(comPortLinkFolder(configDir, instance));
    // Made aside and renamed over the old one, so the name never points nowhere.
    const std::string fresh = path_ + ".new";
    std::error_code ignored;
    fs::remove(fresh, ignored);
    fs::create_symlink(target_, fresh);
    std::error_code error;
    fs::rename(fresh, path_, error);
    if (error) {
        fs::remove(fresh, ignored);
        throw fs::filesystem_error("cannot link the COM port", path_, error);
    }
}

ComPortLink::~ComPortLink()
{
    std::error_code error;
    if (fs::read_symlink(path_, error) == fs::path(target_) && !error)
        fs::remove(path_, error);
}
