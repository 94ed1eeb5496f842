// Where an instance keeps its files: the default instance in today's places, a named one
// under DARavev/instances/<name> of the same configuration and data folders.
#pragma once

#include "instance/instance_claim.h"

#include <QString>
#include <string>
#include <vector>

class SettingsStore;
struct SettingsValues;

// The readings history's file.
QString instanceHistoryFile(const std::string& instance);

// The device COM port n of the instance leads to: its link (or the fixed table's device),
// links followed as far as they go.
std::string instanceComDevice(int portNumber, const std::string& instance);

// What an instance with these settings uses, its COM port's device found.
InstanceClaim instanceClaim(const ClaimHolder& holder, const SettingsValues& values);

// The instances that have a folder of their own, by name, with the default one (empty) first.
std::vector<std::string> configuredInstances();

// A sentence for each other instance whose settings name something these name too: the
// two cannot run at the same time.
std::vector<std::string> sharedWithOtherInstances(const std::string& instance, const SettingsValues& values);

// The settings as a program of the instance would load them.
SettingsValues storedSettings(SettingsStore& store);
