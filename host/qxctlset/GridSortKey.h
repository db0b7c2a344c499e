// Sort keys of grid cells: texts in the order of their GBK bytes (Chinese then sorts
// in the GBK code order, which follows pinyin for the common characters), numbers
// by value.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kel::grid {

// The bytes a text sorts by: its GBK form, or the UTF-8 itself when GBK cannot hold
// it. ASCII is the same in both and is not converted.
std::string TextSortKey(std::string_view utf8);

// The value of a numeric cell: thousands separators (commas) and surrounding blanks
// are ignored. nullopt for an empty text or one that is not a finite number.
std::optional<double> NumericSortValue(std::string_view text);

// Order of two numeric keys: cells without a number come first.
inline bool NumericLess(const std::optional<double>& a, const std::optional<double>& b) {
    if (!a) return b.has_value();
    return b && *a < *b;
}

}  // namespace kel::grid
