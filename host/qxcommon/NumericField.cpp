#include "host/qxcommon/NumericField.h"

namespace kel {

std::string FitNumber(const std::string& text, int width, int decimals) {
    bool limited = width >= 1;
    bool fractionAllowed = !limited || decimals >= 1;
    std::string sign, integer, fraction;
    bool point = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '-' && i == 0) {
            sign = "-";
        } else if (c == '.' && !point) {
            if (!fractionAllowed) break;  // no fraction: its digits must not join the integer part
            point = true;
        } else if (c >= '0' && c <= '9') {
            (point ? fraction : integer) += c;
        }
    }
    if (limited) {
        size_t maxInteger = decimals >= 1 ? static_cast<size_t>(width > decimals + 1 ? width - decimals - 1 : 0)
                                          : static_cast<size_t>(width);
        if (integer.size() > maxInteger) integer.resize(maxInteger);
        if (decimals >= 1 && fraction.size() > static_cast<size_t>(decimals))
            fraction.resize(static_cast<size_t>(decimals));
    }
    return sign + integer + (point ? "." + fraction : "");
}

}  // namespace kel
