#include "screens/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

#include "common/records/WireFloat.h"

namespace kel::screens {
namespace {

// A decimal number as its digits and the place of the point: "12.5" is digits "125"
// with two digits before the point. Moving the point is exact, as on paper.
struct Decimal {
    bool negative = false;
    std::string digits;
    int point = 0;  // digits before the point; may be below 0 or beyond the digits
};

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// "-12.50", "7", ".5": a sign, digits and at most one point, at least one digit.
std::optional<Decimal> ReadDecimal(std::string_view text) {
    Decimal d;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        d.negative = text.front() == '-';
        text.remove_prefix(1);
    }
    bool seenPoint = false;
    for (char c : text) {
        if (c == '.' && !seenPoint) {
            seenPoint = true;
            d.point = static_cast<int>(d.digits.size());
        } else if (c >= '0' && c <= '9') {
            d.digits += c;
        } else {
            return std::nullopt;
        }
    }
    if (d.digits.empty()) return std::nullopt;
    if (!seenPoint) d.point = static_cast<int>(d.digits.size());
    return d;
}

// The plain text of the number, with at least `decimals` digits after the point.
std::string Render(const Decimal& d, int decimals) {
    const int length = static_cast<int>(d.digits.size());
    std::string whole, fraction;
    if (d.point <= 0) {
        fraction = std::string(static_cast<std::size_t>(-d.point), '0') + d.digits;
    } else if (d.point >= length) {
        whole = d.digits + std::string(static_cast<std::size_t>(d.point - length), '0');
    } else {
        whole = d.digits.substr(0, static_cast<std::size_t>(d.point));
        fraction = d.digits.substr(static_cast<std::size_t>(d.point));
    }
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    if (whole.empty()) whole = "0";
    fraction.erase(fraction.find_last_not_of('0') + 1);
    if (static_cast<int>(fraction.size()) < decimals) fraction.resize(static_cast<std::size_t>(decimals), '0');
    std::string text = d.negative ? "-" : "";
    text += whole;
    if (!fraction.empty()) text += "." + fraction;
    return text;
}

template <class T>
std::string Format(T value, NumberFormat format, int shift) {
    char buffer[400];
    std::to_chars_result written;
    if (std::isfinite(value))
        written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);  // shortest exact
    else
        written = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, written.ptr);
    if (std::isfinite(value)) {
        Decimal d = *ReadDecimal(text);
        d.point += shift;
        text = Render(d, format.decimals);
    }
    if (static_cast<int>(text.size()) < format.width) text.resize(static_cast<std::size_t>(format.width), ' ');
    return text;
}

template <class T>
std::optional<T> Parse(std::string_view text, int shift) {
    text = Trimmed(text);
    if (text.empty()) return T{0};
    auto d = ReadDecimal(text);
    if (!d) return std::nullopt;
    d->point -= shift;
    const std::string plain = Render(*d, 0);
    T value{};
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error != std::errc{} || end != plain.data() + plain.size()) return std::nullopt;
    return value;
}

}  // namespace

std::string FormatNumber(double value, NumberFormat format, int shift) { return Format(value, format, shift); }
// A float shows the decimal it was typed as, the same one the server stores.
std::string FormatNumber(float value, NumberFormat format, int shift) {
    return Format(kel::records::DecimalOf(value), format, shift);
}

std::optional<double> ParseDouble(std::string_view text, int shift) { return Parse<double>(text, shift); }
std::optional<float> ParseFloat(std::string_view text, int shift) { return Parse<float>(text, shift); }

std::optional<int> ParseInt(std::string_view text) {
    text = Trimmed(text);
    if (text.empty()) return 0;
    if (text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') return std::nullopt;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace kel::screens
