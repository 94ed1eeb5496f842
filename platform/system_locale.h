// The user's locale, as far as number texts need it.
#pragma once

#include "common/number_format.h"

// The decimal and group separators of the user's locale; '.' and a blank where the
// locale's own cannot be written as one byte.
NumberSymbols systemNumberSymbols();
