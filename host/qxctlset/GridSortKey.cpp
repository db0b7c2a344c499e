#include "host/qxctlset/GridSortKey.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "common/text/GbkText.h"

namespace kel::grid {

std::string TextSortKey(std::string_view utf8) {
    bool ascii = std::all_of(utf8.begin(), utf8.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) return std::string(utf8);
    if (auto gbk = kel::text::Utf8ToGbk(utf8)) return *gbk;
    return std::string(utf8);
}

std::optional<double> NumericSortValue(std::string_view text) {
    std::string digits;
    digits.reserve(text.size());
    for (char c : text)
        if (c != ',') digits += c;
    auto isBlank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    size_t first = 0, last = digits.size();
    while (first < last && isBlank(digits[first])) ++first;
    while (last > first && isBlank(digits[last - 1])) --last;
    if (first < last && digits[first] == '+') ++first;  // from_chars takes no plus sign
    if (first == last) return std::nullopt;
    // from_chars, unlike strtod, does not depend on the process locale.
    double value = 0;
    const char* begin = digits.data() + first;
    const char* end = digits.data() + last;
    auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::general);
    if (ec != std::errc() || ptr != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace kel::grid
