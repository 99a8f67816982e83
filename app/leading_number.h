#pragma once
// The leading decimal number of a text, read the way C's atoi/strtol read it:
// leading white space, an optional sign, then digits up to the first other
// character; 0 when there are no digits. Unlike atoi, a number outside the
// int range saturates to INT_MIN / INT_MAX instead of being undefined, since
// these texts come from edit boxes and hand-editable sample files.
#include <string_view>

int ParseLeadingInt(std::string_view text);
