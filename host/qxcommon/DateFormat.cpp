#include "host/qxcommon/DateFormat.h"

#include <cctype>

namespace kel {

bool IsValidDate(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    int last = days[month - 1] + ((month == 2 && leap) ? 1 : 0);
    return day <= last;
}

namespace {

// The digits of the text when it is digits with slashes only in the mask's places.
bool DigitsOf(const std::string& text, std::string& digits) {
    digits.clear();
    std::string trimmed;
    for (char c : text)
        if (c != ' ') trimmed += c;
    if (trimmed.size() == 10 && trimmed[4] == '/' && trimmed[7] == '/') {
        trimmed.erase(7, 1);
        trimmed.erase(4, 1);
    } else if (trimmed.size() == 7 && trimmed[4] == '/') {
        trimmed.erase(4, 1);
    }
    for (char c : trimmed)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    digits = trimmed;
    return digits.size() == 8 || digits.size() == 6;
}

bool Valid(const std::string& d) {
    int year = std::stoi(d.substr(0, 4));
    int month = std::stoi(d.substr(4, 2));
    int day = d.size() == 8 ? std::stoi(d.substr(6, 2)) : 1;
    return IsValidDate(year, month, day);
}

}  // namespace

std::string FormatDate(const std::string& text, int mode) {
    std::string d;
    if (!DigitsOf(text, d) || !Valid(d)) return "";
    if (mode == 0) return d;
    if (mode == 1)
        return d.size() == 8 ? d.substr(0, 4) + "/" + d.substr(4, 2) + "/" + d.substr(6, 2)
                             : d.substr(0, 4) + "/" + d.substr(4, 2);
    return "";
}

}  // namespace kel
