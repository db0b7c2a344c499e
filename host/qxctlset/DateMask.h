// Masks of the date fields: each '#' takes one digit, every other character is a
// separator shown between the digits ("####/##/##", "####/##").
#pragma once

#include <string>
#include <string_view>

namespace kel::datemask {

// How many digits the mask takes.
int DigitSlots(std::string_view mask);

// The digits placed into the mask in order, up to the last digit given: separators
// after it are not shown ("2024" -> "2024", "20240" -> "2024/0").
std::string Fill(std::string_view mask, std::string_view digits);

// The digits a text stands for in the mask, at most DigitSlots of them. Text already
// in the mask's shape keeps its digits; other text split by separators is fitted
// group by group ("2024-1-31" -> "20240131", a one-digit month padded with 0);
// a run of digits alone fills the mask in order ("202401" -> "202401").
std::string DigitsFor(std::string_view mask, std::string_view text);

}  // namespace kel::datemask
