#include "server/Wire.h"

#include <algorithm>
#include <cmath>

#include "common/records/WireFloat.h"
#include "common/text/GbkText.h"

namespace kel::server::wire {
namespace {

bool IsAscii(std::string_view s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

bool AllDigits(std::string_view s) {
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

}  // namespace

std::string Text(const char* field, std::size_t width, const char* what, std::size_t maxBytes) {
    const std::size_t len = strnlen(field, width);
    if (len == width) BadRequest(std::string(what) + ": no NUL inside the field");
    if (len > maxBytes) BadRequest(std::string(what) + ": longer than " + std::to_string(maxBytes) + " bytes");
    const std::string_view raw(field, len);
    if (IsAscii(raw)) return std::string(raw);
    auto utf8 = kel::text::GbkToUtf8(raw);
    if (!utf8) BadRequest(std::string(what) + ": not valid GBK");
    return std::move(*utf8);
}

std::string Code(std::string s, const char* what) {
    for (unsigned char c : s)
        if (c < 0x20 || c == 0x7F) BadRequest(std::string(what) + ": a control character in a code");
    return s;
}

bool IsCodeShape(std::string_view s, std::size_t length) {
    if (s.size() != length) return false;
    for (char c : s)
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    return true;
}

std::string Letter(char c, const char* what) {
    if (c == '\0') return {};
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u > 0x7E) BadRequest(std::string(what) + ": not a letter");
    return std::string(1, c);
}

double Real(double v, const char* what) {
    if (!std::isfinite(v)) BadRequest(std::string(what) + ": not a finite number");
    return v;
}

double Real(float v, const char* what) { return Real(kel::records::DecimalOf(v), what); }

int32_t Key(const char* field, std::size_t width, const char* what) {
    const std::size_t len = strnlen(field, width);
    if (len == width) BadRequest(std::string(what) + ": no NUL inside the key");
    int64_t v = 0;
    std::size_t i = 0;
    const bool negative = len > 0 && field[0] == '-';
    if (negative) ++i;
    if (i == len || len - i > 10) BadRequest(std::string(what) + ": not a decimal number");
    for (; i < len; ++i) {
        if (field[i] < '0' || field[i] > '9') BadRequest(std::string(what) + ": not a decimal number");
        v = v * 10 + (field[i] - '0');
    }
    if (negative) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) BadRequest(std::string(what) + ": out of range");
    return static_cast<int32_t>(v);
}

std::string Date(const char (&field)[9], const char* what, bool optional) {
    std::string s = Text(field, what);
    if (s.empty() && optional) return s;
    if (s.size() != 8 || !AllDigits(s)) BadRequest(std::string(what) + ": not a date YYYYMMDD");
    const int y = std::stoi(s.substr(0, 4)), m = std::stoi(s.substr(4, 2)), d = std::stoi(s.substr(6, 2));
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > days[m - 1] + (m == 2 && IsLeap(y) ? 1 : 0))
        BadRequest(std::string(what) + ": no such date");
    return s;
}

std::string YearMonth(const char (&field)[7], const char* what) {
    std::string s = Text(field, what);
    if (s.size() != 6 || !AllDigits(s)) BadRequest(std::string(what) + ": not a year and month YYYYMM");
    const int m = std::stoi(s.substr(4, 2));
    if (std::stoi(s.substr(0, 4)) < 1 || m < 1 || m > 12) BadRequest(std::string(what) + ": no such month");
    return s;
}

void Put(char* field, std::size_t width, std::string_view utf8) {
    if (width == 0) return;
    if (IsAscii(utf8)) {
        const std::size_t nul = utf8.find('\0');
        const std::size_t n = std::min({utf8.size(), nul, width - 1});
        if (n) std::memcpy(field, utf8.data(), n);  // an empty view may carry no pointer
        std::memset(field + n, 0, width - n);
        return;
    }
    kel::text::PutField(field, width, utf8);
}

void Answer::Raw(const void* data, std::size_t size) {
    const std::size_t at = body_.size();
    body_.resize(at + size);
    std::memcpy(body_.data() + at, data, size);
}

}  // namespace kel::server::wire
