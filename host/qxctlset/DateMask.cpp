#include "host/qxctlset/DateMask.h"

#include <algorithm>
#include <vector>

namespace kel::datemask {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string OnlyDigits(std::string_view text) {
    std::string digits;
    for (char c : text)
        if (IsDigit(c)) digits += c;
    return digits;
}

// Runs of digits in the text, or of '#' in the mask, as their lengths or contents.
std::vector<std::string> DigitGroups(std::string_view text) {
    std::vector<std::string> groups;
    std::string current;
    for (char c : text) {
        if (IsDigit(c)) {
            current += c;
        } else if (!current.empty()) {
            groups.push_back(std::move(current));
            current.clear();
        }
    }
    if (!current.empty()) groups.push_back(std::move(current));
    return groups;
}

std::vector<size_t> MaskGroups(std::string_view mask) {
    std::vector<size_t> widths;
    size_t run = 0;
    for (char c : mask) {
        if (c == '#') {
            ++run;
        } else if (run > 0) {
            widths.push_back(run);
            run = 0;
        }
    }
    if (run > 0) widths.push_back(run);
    return widths;
}

std::string Cut(std::string digits, std::string_view mask) {
    digits.resize(std::min(digits.size(), static_cast<size_t>(DigitSlots(mask))));
    return digits;
}

}  // namespace

int DigitSlots(std::string_view mask) { return static_cast<int>(std::count(mask.begin(), mask.end(), '#')); }

std::string Fill(std::string_view mask, std::string_view digits) {
    std::string out;
    size_t next = 0;
    for (char m : mask) {
        if (next >= digits.size()) break;
        if (m == '#')
            out += digits[next++];
        else
            out += m;
    }
    return out;
}

std::string DigitsFor(std::string_view mask, std::string_view text) {
    std::string digits = Cut(OnlyDigits(text), mask);
    if (Fill(mask, digits) == text) return digits;  // already in the mask's shape

    auto groups = DigitGroups(text);
    if (groups.size() <= 1) return digits;
    auto widths = MaskGroups(mask);
    std::string fitted;
    for (size_t i = 0; i < groups.size() && i < widths.size(); ++i) {
        if (groups[i].size() > widths[i]) return digits;  // not this mask's grouping
        fitted += std::string(widths[i] - groups[i].size(), '0') + groups[i];
    }
    return Cut(fitted, mask);
}

std::string PlacesOf(std::string_view mask, std::string_view text) {
    const size_t slots = static_cast<size_t>(DigitSlots(mask));
    std::string places;
    bool shaped = text.size() <= mask.size();
    for (size_t i = 0; shaped && i < text.size(); ++i) {
        if (mask[i] != '#')
            shaped = text[i] == mask[i];
        else if (IsDigit(text[i]) || text[i] == kBlank || text[i] == ' ')
            places += IsDigit(text[i]) ? text[i] : kBlank;
        else
            shaped = false;
    }
    if (!shaped) places = DigitsFor(mask, text);
    places.resize(slots, kBlank);
    return places;
}

std::string Show(std::string_view mask, std::string_view places) {
    const size_t last = places.find_last_not_of(kBlank);
    if (last == std::string_view::npos) return {};
    std::string out;
    size_t next = 0;
    for (char m : mask) {
        if (next > last) break;
        out += m == '#' ? places[next++] : m;
    }
    return out;
}

}  // namespace kel::datemask
