// Where users find firmware, software updates and news about the monitor.
#pragma once

#include <string_view>

inline constexpr std::string_view kSupportAddress = "the KVO-7730 supplier's web site";
