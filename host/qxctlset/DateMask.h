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

// A digit place of the mask that holds no digit, as shown.
inline constexpr char kBlank = '_';

// One character per digit place of the mask: the digit, or kBlank. Text in the
// mask's shape (blank places as kBlank or ' ', cut anywhere after a place) keeps
// each digit in its place; other text is read with DigitsFor from the first place.
std::string PlacesOf(std::string_view mask, std::string_view text);

// The text of the places in the mask, up to the last place that holds a digit
// ("" when none does); blank places before it show as kBlank.
std::string Show(std::string_view mask, std::string_view places);

}  // namespace kel::datemask
