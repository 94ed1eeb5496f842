// Number and boolean texts: the general number form, and tolerant parsing of stored texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Shortest decimal form with at most 15 significant digits, no trailing zeros,
// exponent form only for very large or very small magnitudes ("1234.5", "0.126", "1E+16").
std::string generalNumberText(double value);

// The same for a single-precision value: at most 7 significant digits.
std::string generalSingleText(float value);

// "True" or "False".
std::string booleanText(bool value);

// A decimal number with optional sign, fraction and exponent, surrounded by optional
// blanks. Either '.' or ',' is accepted as the decimal separator so that a store
// written under another locale still reads back. Anything else gives nothing.
std::optional<double> parseNumber(std::string_view text);

// "True"/"False" in any letter case, or a number (0 is false, anything else true).
std::optional<bool> parseBoolean(std::string_view text);

// A number rounded to the nearest whole number (ties to even) that must lie within
// [minimum, maximum]; nothing when the text is not a number or the result is out of range.
std::optional<std::int64_t> parseWholeNumber(std::string_view text, std::int64_t minimum,
                                             std::int64_t maximum);

// Rounds to the nearest whole number, ties to even.
double roundHalfEven(double value);

// The value of a text's leading number, the way a typed box is read: blanks first are
// skipped, then a sign, digits, a '.' fraction and an exponent are taken as far as they
// go; a text that does not begin with a number gives 0.
double leadingNumber(std::string_view text);
