// The user's systemd units, as kvo7730-config restarts the one that runs an instance.
#pragma once

#include <optional>
#include <string>

// "kvo7730d.service" for the default instance, "kvo7730d@<name>.service" for another.
std::string serviceUnitOf(const std::string& instance);

class UserUnits {
public:
    virtual ~UserUnits() = default;

    virtual bool isActive(const std::string& unit) = 0;
    // Nothing once done; otherwise why not, as a sentence.
    virtual std::optional<std::string> stop(const std::string& unit) = 0;
    virtual std::optional<std::string> start(const std::string& unit) = 0;
};

// Through "systemctl --user", waiting for each to end (stop returns once the program has ended).
class SystemctlUserUnits : public UserUnits {
public:
    bool isActive(const std::string& unit) override;
    std::optional<std::string> stop(const std::string& unit) override;
    std::optional<std::string> start(const std::string& unit) override;
};
