// Numbers formatted by display patterns such as "###,##0", "###.0" and "######.000".
#pragma once

#include <string>
#include <string_view>

// The characters the user's locale writes between the integer and the fraction and
// between digit groups.
struct NumberSymbols {
    char decimal = '.';
    char group = ',';
};

// Formats by a pattern of '#' (a digit shown only when significant: a zero integer
// part prints nothing), '0' (a digit always shown), ',' in the integer part (digit
// grouping) and '.' (the decimals that follow are fixed). The value is rounded to
// those decimals, half away from zero; the integer part is never cut.
std::string formatNumber(double value, std::string_view pattern, NumberSymbols symbols = {});

// The general number text with the locale's decimal separator.
std::string generalNumberText(double value, NumberSymbols symbols);
