// The JSON state message of one decoded packet.
#pragma once

#include "link/live_readings.h"

#include <string>
#include <string_view>

// {"time":..., "volts":..., "seconds_counter":..., "ch1":{...}, "ch2":{...}}; each
// channel holds watts, amps, power_factor, kwh, total_kwh (carried across monitor
// resets), total_pol_kwh (the polarised total), and the watt-second counters abs_ws,
// pol_ws, total_ws, total_pol_ws. The time is ISO 8601.
std::string statePayload(const LiveReadings& readings, std::string_view isoTime);
