// Instance names, and where a named instance keeps its files beside the default instance's.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The word that names the default instance where a name is needed (a claim file, a
// systemd instance); an empty name means the same.
inline constexpr std::string_view kDefaultInstanceWord = "default";

// Why a text cannot name an instance, as a sentence; nothing when it can. A name is 1 to
// 64 letters, digits, "-" and "_", beginning with a letter or a digit, so that it is a
// file name, a systemd instance and an MQTT topic level as it stands.
std::optional<std::string> instanceNameProblem(std::string_view name);

// The instance a usable name names: empty for the default instance ("" or "default").
std::string instanceNamed(std::string_view name);

// The folder that holds the named instances' folders of one kind of files.
std::string instancesFolder(const std::string& defaultFolder);

// The folder of one kind of an instance's files, given the default instance's folder of
// that kind: the folder itself for the default instance (today's files, untouched),
// <folder>/instances/<name> for another.
std::string instanceFolder(const std::string& defaultFolder, const std::string& instance);

// How a sentence names an instance: "the default instance" or "instance \"garage\"".
std::string instanceLabel(const std::string& instance);
// The same at the start of a sentence: "The default instance", "Instance \"garage\"".
std::string instanceLabelFirst(const std::string& instance);
