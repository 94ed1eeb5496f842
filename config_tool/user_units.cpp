// systemctl --user, run as a child process and waited for: a command-line tool has no event
// loop to keep going meanwhile.
#include "config_tool/user_units.h"

#include <cerrno>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

struct Run {
    // The exit status; none when systemctl could not be run or did not end by itself.
    std::optional<int> status;
    std::string failure;
};

Run systemctl(const char* verb, const std::string& unit, bool quiet)
{
    std::vector<std::string> words{"systemctl", "--user", verb, unit};
    if (quiet)
        words.insert(words.begin() + 2, "--quiet");
    std::vector<char*> arguments;
    for (std::string& word : words)
        arguments.push_back(word.data());
    arguments.push_back(nullptr);
    pid_t child = 0;
    if (const int error = ::posix_spawnp(&child, "systemctl", nullptr, nullptr, arguments.data(), environ); error != 0)
        return {std::nullopt, std::strerror(error)};
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return {std::nullopt, std::strerror(errno)};
    }
    if (!WIFEXITED(status))
        return {std::nullopt, "it ended by signal " + std::to_string(WTERMSIG(status))};
    return {WEXITSTATUS(status), {}};
}

std::optional<std::string> carryOut(const char* verb, const std::string& unit)
{
    const Run run = systemctl(verb, unit, false);
    if (run.status == 0)
        return std::nullopt;
    const std::string command = "systemctl --user " + std::string(verb) + " " + unit;
    if (!run.status)
        return command + " could not be run: " + run.failure + ".";
    return command + " failed with exit status " + std::to_string(*run.status) + ".";
}

} // namespace

std::string serviceUnitOf(const std::string& instance)
{
    return instance.empty() ? std::string("kvo7730d.service") : "kvo7730d@" + instance + ".service";
}

bool SystemctlUserUnits::isActive(const std::string& unit)
{
    return systemctl("is-active", unit, true).status == 0;
}

std::optional<std::string> SystemctlUserUnits::stop(const std::string& unit)
{
    return carryOut("stop", unit);
}

std::optional<std::string> SystemctlUserUnits::start(const std::string& unit)
{
    return carryOut("start", unit);
}
