// Home Assistant MQTT discovery: one retained config message per sensor, so the
// monitor shows up as a device with its sensors and needs no set-up there.
#pragma once

#include "mqtt/mqtt_message.h"
#include "mqtt/mqtt_topics.h"

#include <string_view>
#include <vector>

// Topics "homeassistant/sensor/<node id>/<sensor>/config": the voltage, and per
// channel power, current, power factor, energy, energy total (carried across monitor
// resets) and the polarised energy total.
std::vector<MqttMessage> discoveryMessages(const MqttTopics& topics, std::string_view softwareVersion);
