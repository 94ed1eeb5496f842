// kvo7730-config's commands over one instance's settings: list, get, set, reset, and what the
// running programs of the user's instances mean for a change.
#pragma once

#include "common/number_format.h"
#include "config_tool/config_command_line.h"
#include "instance/claim_folder.h"

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

class SettingsStore;
class UserUnits;

namespace config_exit {
constexpr int Success = 0;
// The settings cannot be saved, or the unit cannot be restarted.
constexpr int Failure = 1;
// Wrong arguments, or a value the windows would refuse: nothing saved.
constexpr int Refused = 2;
// A running program would write its own value over the change: nothing saved.
constexpr int Busy = 3;
} // namespace config_exit

struct ConfigContext {
    std::string instance;
    SettingsStore& store;
    // The settings file, for the person to find it.
    std::string storeLocation;
    const ClaimFolder& claims;
    UserUnits& units;
    NumberSymbols symbols;
    // Sentences for other instances whose settings name what these name too.
    std::function<std::vector<std::string>(const SettingsValues&)> sharedWithOthers;
    // The instances that have settings of their own, the default one (empty) first.
    std::function<std::vector<std::string>()> configuredInstances;
    std::ostream& out;
    std::ostream& err;
};

class ConfigTool {
public:
    explicit ConfigTool(ConfigContext context) : context_(std::move(context)) {}

    // The exit status.
    int run(const ConfigRequest& request);

private:
    SettingsValues loaded();
    int list();
    int get(const std::vector<const SettingName*>& names);
    int choices(const SettingName& name);
    int names();
    int instances();
    int change(const ConfigRequest& request);
    // Writes the checked values; false (and said) when the store fails.
    bool write(const ChangeVerdict& verdict);
    int restartWith(const ChangeVerdict& verdict, const InstanceClaim& runner);

    ConfigContext context_;
};
