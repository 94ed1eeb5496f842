// One program's run of an instance: its claim on the instance and on what the settings name,
// taken once the settings are loaded and held until the program ends.
#pragma once

#include "instance/claim_folder.h"

#include <string>

struct SettingsValues;

class InstanceRun {
public:
    InstanceRun(std::string instance, std::string program);

    // Empty for the default instance.
    const std::string& instance() const { return holder_.instance; }

    HeldClaim::Result claim(const SettingsValues& values);

private:
    ClaimHolder holder_;
    HeldClaim claim_;
};
