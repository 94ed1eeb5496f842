// The checks the options window applies to an entry when the user leaves its box.
#pragma once

#include "common/number_format.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A number as the user may type it: optional blanks around, a sign, digits with
// either '.' or the locale's decimal separator, an exponent. Group separators,
// currency signs and anything else make the text no number, so a text is never
// accepted as numeric and then read as some other value.
std::optional<double> fieldNumber(std::string_view text, NumberSymbols symbols);

// The entry without the blanks and tabs around it.
std::string_view trimmedEntry(std::string_view text);

// A 16-bit box with a lower limit: the write interval and the two power changes.
struct ThresholdField {
    std::int16_t minimum;
    std::string_view unit;
    std::string_view notANumberMessage;
};

inline constexpr ThresholdField kWriteIntervalField{10, "seconds", "Interval must be a numeric value"};
inline constexpr ThresholdField kPowerChangeField{40, "watt", "This must be a numeric value"};

// What leaving a box does: the value to store (none for a rejected entry), the
// message to show (empty for none), the text the box is corrected to, and whether
// the focus goes back to the box.
struct FieldVerdict {
    std::optional<std::int16_t> value;
    std::string message;
    std::optional<std::string> correctedText;
    bool focusBack = false;
};

// Limits are inclusive; the value is rounded to a whole number, halves to even.
// A value that does not fit 16 bits is rejected, like a text that is no number.
FieldVerdict checkThreshold(std::string_view text, const ThresholdField& field, NumberSymbols symbols);

// The trigger push box's states as "AutoWriteLocal" holds them: clear 0, ticked 1, and
// grey 2, which only a stored value gives.
inline constexpr std::uint8_t kGreyTriggerPush = 2;

// The lowest price of one kWh, for the box and for the stored value alike: a negative
// price would show falling costs.
inline constexpr double kLowestRate = 0;

// The price of one kWh: a value above 1 needs the user's confirmation.
struct RateVerdict {
    enum class Kind { NotANumber, BelowLowest, Accept, Confirm };
    Kind kind;
    double value = 0;
};

RateVerdict checkRate(std::string_view text, NumberSymbols symbols);

inline constexpr std::string_view kRateNotANumberMessage =
    "This is not a numeric value. Re-enter the value for \"Rate\". ";
inline constexpr std::string_view kRateBelowLowestMessage =
    "The rate cannot be negative. Re-enter the value for \"Rate\".";

std::string rateQuestion(double value, NumberSymbols symbols);

// The price as the box shows it.
std::string rateText(double rate, NumberSymbols symbols);

inline constexpr std::string_view kUserErrorMessage = "User error";
inline constexpr std::string_view kHostErrorMessage =
    "Enter the web server's host name or address, optionally followed by \":\" and a port number.";

// The user name is taken as typed; an empty one is refused.
std::optional<std::string> acceptedUserName(std::string_view text);

// The web service's host, without surrounding blanks; anything but a host name or
// address with an optional port is refused.
std::optional<std::string> acceptedHost(std::string_view text);

// The address of the user's page on the web service.
std::string accountPageAddress(std::string_view host, std::string_view user);
