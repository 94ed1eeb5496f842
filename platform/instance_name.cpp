// Instance names and the folders of named instances.
#include "platform/instance_name.h"

#include <algorithm>

namespace {

constexpr std::size_t kLongestName = 64;

bool letterOrDigit(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

} // namespace

std::optional<std::string> instanceNameProblem(std::string_view name)
{
    const bool usable = !name.empty() && name.size() <= kLongestName && letterOrDigit(name.front())
        && std::all_of(name.begin(), name.end(), [](char c) { return letterOrDigit(c) || c == '-' || c == '_'; });
    if (usable)
        return std::nullopt;
    return "\"" + std::string(name)
        + "\" cannot name an instance: use 1 to 64 letters, digits, \"-\" and \"_\", beginning with a letter or a digit.";
}

std::string instanceNamed(std::string_view name)
{
    return name == kDefaultInstanceWord ? std::string() : std::string(name);
}

std::string instancesFolder(const std::string& defaultFolder)
{
    return defaultFolder + "/instances";
}

std::string instanceFolder(const std::string& defaultFolder, const std::string& instance)
{
    return instance.empty() ? defaultFolder : instancesFolder(defaultFolder) + "/" + instance;
}

std::string instanceLabel(const std::string& instance)
{
    return instance.empty() ? std::string("the default instance") : "instance \"" + instance + "\"";
}

std::string instanceLabelFirst(const std::string& instance)
{
    return instance.empty() ? std::string("The default instance") : "Instance \"" + instance + "\"";
}
