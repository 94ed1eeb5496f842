// Calendar date and time as plain values, and the "yyyy mm dd hh nn ss" pattern format.
#pragma once

#include <string>
#include <string_view>

struct DateTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Replaces "yyyy", "mm" (month), "dd", "hh" (24-hour), "nn" (minutes) and "ss"
// in the pattern; every other character is copied as it stands.
std::string formatDateTime(const DateTime& when, std::string_view pattern);
