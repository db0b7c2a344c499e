// 4-byte float fields as the decimals they were typed as.
//
// A float cannot hold 0.3: it holds 0.300000011920928955078125. Widened to a
// double as it is, that noise travels into stored rows and from there into money
// (11.92 on a premium of 1,000,000,000). The shortest decimal that reads back as
// the same float is what was typed, so a float is widened through that decimal:
// 0.3f gives the double 0.3, 0.125f gives 0.125.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string_view>

namespace kel::records {

// The double of the float's shortest decimal; infinities and NaN stay what they are.
inline double DecimalOf(float value) {
    if (!std::isfinite(value)) return static_cast<double>(value);
    char text[64];
    const auto written = std::to_chars(text, text + sizeof text, value);  // shortest that reads back
    double decimal = 0;
    std::from_chars(text, written.ptr, decimal);
    return decimal;
}

// A stored double that is a float widened with its noise: the decimal it stands
// for (0.30000001192092896 -> 0.3); nullopt when the value is no such float or is
// already its own shortest decimal. A store that kept only 15 significant digits
// (0.300000011920929) counts as holding the float too.
inline std::optional<double> NoiselessFloat(double stored) {
    if (!std::isfinite(stored) || std::fabs(stored) > std::numeric_limits<float>::max()) return std::nullopt;
    const auto narrowed = static_cast<float>(stored);
    const auto widened = static_cast<double>(narrowed);
    if (widened != stored) {
        char a[40], b[40];
        std::snprintf(a, sizeof a, "%.15g", widened);
        std::snprintf(b, sizeof b, "%.15g", stored);
        if (std::string_view(a) != b) return std::nullopt;
    }
    const double decimal = DecimalOf(narrowed);
    if (decimal == stored) return std::nullopt;
    return decimal;
}

}  // namespace kel::records
