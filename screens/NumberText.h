// Numbers as the screens show them, without losing what the record holds.
//
// A number is written with at least the decimals its format asks for ("%.2f" shows
// 12.50), and with more when the value has more (0.123456 shows as 0.123456, not
// 0.1235): what is shown reads back as exactly the value that was there, so a form
// saved untouched stores what it loaded. Per-cent forms move the decimal point in
// the text, not the value, so 0.123456 shows as 12.3456 and reads back as 0.123456
// bit for bit.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kel::screens {

// The amount that stands for "no limit" (a participant's limit, a product's
// retention, treaty limit and VIP limit), and the word the lists show for it.
inline constexpr const char* kUnlimitedAmount = "9999999999.99";
inline constexpr const char* kUnlimitedWord = "无限额";

struct NumberFormat {
    int decimals = 2;  // at least this many digits after the point
    int width = 0;     // padded with blanks on the right to this many characters ("%-5.4f")
};

// `shift` moves the decimal point right (2: a fraction shown as a percentage).
std::string FormatNumber(double value, NumberFormat format, int shift = 0);
std::string FormatNumber(float value, NumberFormat format, int shift = 0);

// A decimal number with blanks around it allowed; the point moves `shift` places to
// the left before the text is converted. Empty text is 0. nullopt when the text is
// not a plain decimal number or does not fit the type.
std::optional<double> ParseDouble(std::string_view text, int shift = 0);
std::optional<float> ParseFloat(std::string_view text, int shift = 0);

// A whole number that fits 32 bits, blanks around it allowed; empty text is 0.
std::optional<int> ParseInt(std::string_view text);

}  // namespace kel::screens
