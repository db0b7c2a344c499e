// The shape of a numeric field: at most `width` characters (sign not counted,
// decimal point counted) with at most `decimals` fraction digits.
#pragma once

#include <string>

namespace kel {

// Keeps what fits: an optional leading '-', digits, one '.', the integer part cut
// to width - decimals - 1 digits (width digits and no fraction when decimals < 1:
// a decimal point then ends the number), the fraction to `decimals` digits.
// Width below 1 means no limits.
std::string FitNumber(const std::string& text, int width, int decimals);

}  // namespace kel
