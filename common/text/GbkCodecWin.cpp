// GBK through the system's code page 936, held to what glibc's GBK converter does so
// that a record reads and writes the same on every platform: a character converts
// only when it goes there and back unchanged as one pair, ASCII stays as it is, and
// the differences below are settled the way glibc settles them.
#include <windows.h>

#include <array>

#include "common/text/GbkCodec.h"
#include "common/text/Utf8.h"

namespace kel::text::codec {
namespace {

constexpr unsigned kFirstLead = 0x81, kLastLead = 0xFE;
constexpr unsigned kFirstTrail = 0x40, kLastTrail = 0xFE;
constexpr unsigned kTrails = kLastTrail - kFirstTrail + 1;

// Code page 936 also maps 2,149 pairs of its user-defined areas (A140..A7A0,
// AAA1..AFFE, F8A1..FEFE and a few more) into the Private Use Area; glibc's GBK
// refuses them. They are refused here too, both ways, so that no record the other
// platform would refuse is ever written.
bool IsPrivateUse(char16_t unit) { return unit >= 0xE000 && unit <= 0xF8FF; }

// The one single byte above ASCII both converters take: the euro sign.
constexpr unsigned char kEuroByte = 0x80;
constexpr char16_t kEuro = 0x20AC;

// Both directions, built once from the code page: pair -> UTF-16 unit (0 = none)
// and UTF-16 unit -> pair (0 = none).
struct Tables {
    std::array<char16_t, (kLastLead - kFirstLead + 1) * kTrails> decode{};
    std::array<uint16_t, 0x10000> encode{};

    Tables() {
        for (unsigned lead = kFirstLead; lead <= kLastLead; ++lead)
            for (unsigned trail = kFirstTrail; trail <= kLastTrail; ++trail) {
                if (trail == 0x7F) continue;
                const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                wchar_t wide[2] = {};
                if (MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, pair, 2, wide, 2) != 1) continue;
                const auto unit = static_cast<char16_t>(wide[0]);
                if (unit < 0x80 || (unit >= 0xD800 && unit <= 0xDFFF) || IsPrivateUse(unit)) continue;
                // Kept only when the code page writes the character back as this pair.
                char back[4] = {};
                BOOL usedDefault = FALSE;
                const int n =
                    WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, wide, 1, back, sizeof back, nullptr, &usedDefault);
                if (n != 2 || usedDefault || back[0] != pair[0] || back[1] != pair[1]) continue;
                decode[(lead - kFirstLead) * kTrails + (trail - kFirstTrail)] = unit;
                encode[unit] = static_cast<uint16_t>(lead << 8 | trail);
            }
    }
};

const Tables& Table() {
    static const auto* tables = new Tables;  // lives to the end: threads may convert at exit
    return *tables;
}

// The code point at `i` and its length; 0 length for invalid UTF-8 (overlong,
// surrogates, beyond U+10FFFF, cut short).
std::size_t ReadUtf8(std::string_view s, std::size_t i, char32_t& c) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t len = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
    if (len == 0 || i + len > s.size()) return 0;
    c = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    for (std::size_t k = 1; k < len; ++k) {
        const auto t = static_cast<unsigned char>(s[i + k]);
        if ((t & 0xC0) != 0x80) return 0;
        c = (c << 6) | (t & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kMin[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return len;
}

}  // namespace

bool Utf8ToGbk(std::string_view utf8, std::string& out, std::size_t* consumed) {
    const Tables& t = Table();
    out.clear();
    std::size_t i = 0;
    bool whole = true;
    while (i < utf8.size()) {
        char32_t c = 0;
        const std::size_t len = ReadUtf8(utf8, i, c);
        if (len == 0) {
            whole = false;
            break;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c == kEuro) {
            out += static_cast<char>(kEuroByte);
        } else if (c < 0x10000 && t.encode[c] != 0) {
            out += static_cast<char>(t.encode[c] >> 8);
            out += static_cast<char>(t.encode[c] & 0xFF);
        } else {
            whole = false;
            break;
        }
        i += len;
    }
    if (consumed) *consumed = i;
    return whole;
}

bool GbkToUtf8(std::string_view gbk, std::string& out, std::size_t* consumed) {
    const Tables& t = Table();
    out.clear();
    std::size_t i = 0;
    bool whole = true;
    while (i < gbk.size()) {
        const auto lead = static_cast<unsigned char>(gbk[i]);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        char16_t unit = lead == kEuroByte ? kEuro : 0;
        if (lead >= kFirstLead && lead <= kLastLead && i + 1 < gbk.size()) {
            const auto trail = static_cast<unsigned char>(gbk[i + 1]);
            if (trail >= kFirstTrail && trail <= kLastTrail)
                unit = t.decode[(lead - kFirstLead) * kTrails + (trail - kFirstTrail)];
        }
        if (unit == 0) {
            whole = false;
            break;
        }
        AppendUtf8(out, unit);
        i += lead == kEuroByte ? 1 : 2;
    }
    if (consumed) *consumed = i;
    return whole;
}

}  // namespace kel::text::codec
