// GBK through two tables built once, at the first text that is not ASCII, from
// glibc iconv: every GBK byte and byte pair decoded (a lead byte's pairs in one
// call, one at a time only where iconv refuses one), and the encoding table as the
// decoding one's inverse (GBK maps one to one: a character with a GBK code has
// exactly one and decodes from it; the table test pins both against iconv's own
// results). A text then converts with one look-up a character, with exactly
// iconv's results and none of its per-call cost. Text of ASCII alone (the same in
// both) needs no table.
#include <iconv.h>

#include <array>
#include <cstdint>
#include <memory>

#include "common/text/GbkCodec.h"
#include "common/text/Utf8.h"

namespace kel::text::codec {
namespace {

constexpr uint16_t kNone = 0xFFFF;  // no counterpart (0xFFFF is neither a GBK pair nor a character)
constexpr unsigned kFirstLead = 0x81, kLastLead = 0xFE;
// A trail byte outside these never makes a pair with a lead byte.
constexpr unsigned kFirstTrail = 0x40, kLastTrail = 0xFE;

struct ToGbk {
    // Code point -> GBK: below 0x100 one byte, otherwise lead byte << 8 | trail byte.
    std::array<uint16_t, 0x10000> gbkOf;
};

struct FromGbk {
    // A byte standing alone -> code point (kNone: it begins a pair, or it is no character).
    std::array<uint16_t, 0x100> unicodeOfByte;
    // (lead - 0x81) * 256 + trail -> code point.
    std::array<uint16_t, (kLastLead - kFirstLead + 1) * 0x100> unicodeOfPair;
};

// The code point of a whole UTF-8 text of one character below 0x10000; kNone otherwise.
uint16_t OneCharacter(const char* s, std::size_t n) {
    const auto b = [s](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    if (n == 1 && b(0) < 0x80) return b(0);
    if (n == 2 && (b(0) & 0xE0) == 0xC0) return static_cast<uint16_t>((b(0) & 0x1F) << 6 | (b(1) & 0x3F));
    if (n == 3 && (b(0) & 0xF0) == 0xE0)
        return static_cast<uint16_t>((b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F));
    return kNone;
}

// One conversion through iconv: the output when the whole input converted.
bool Convert(iconv_t cd, const char* in, std::size_t n, char (&out)[8], std::size_t& produced) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // reset state
    char* src = const_cast<char*>(in);
    char* dst = out;
    std::size_t srcLeft = n, dstLeft = sizeof out;
    const bool whole = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1) && srcLeft == 0;
    produced = sizeof out - dstLeft;
    return whole;
}

// An iconv descriptor for the table's build, closed after it.
class Descriptor {
public:
    Descriptor(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Descriptor() {
        if (ok()) iconv_close(cd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};

// Decodes every pair of one lead byte into `t`: the pairs laid end to end go through
// iconv to UTF-32 in one call, up to each pair it refuses, which has no character.
// Where a run's output does not give one character a pair (or stops inside one),
// each of its pairs is decoded alone, as a text holding just that pair would be.
void DecodePairsOf(unsigned lead, iconv_t toUtf32, iconv_t toUtf8, FromGbk& t) {
    constexpr std::size_t kPairs = kLastTrail - kFirstTrail + 1;
    char pairs[2 * kPairs];
    for (std::size_t i = 0; i < kPairs; ++i) {
        pairs[2 * i] = static_cast<char>(lead);
        pairs[2 * i + 1] = static_cast<char>(kFirstTrail + i);
    }
    uint16_t* row = &t.unicodeOfPair[(lead - kFirstLead) * 0x100];
    const auto alone = [&](std::size_t i) {
        char out[8];
        std::size_t n = 0;
        if (Convert(toUtf8, pairs + 2 * i, 2, out, n)) row[kFirstTrail + i] = OneCharacter(out, n);
    };
    unsigned char out[4 * kPairs];
    std::size_t next = 0;
    while (next < kPairs) {
        iconv(toUtf32, nullptr, nullptr, nullptr, nullptr);
        char* src = pairs + 2 * next;
        char* dst = reinterpret_cast<char*>(out);
        std::size_t srcLeft = 2 * (kPairs - next), dstLeft = sizeof out;
        const std::size_t offered = srcLeft;
        const bool whole = iconv(toUtf32, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1);
        const std::size_t used = offered - srcLeft, produced = sizeof out - dstLeft;
        const std::size_t run = (used + 1) / 2;  // the pairs the call went into
        if (used % 2 == 0 && produced == 4 * run) {
            for (std::size_t i = 0; i < run; ++i) {
                const unsigned char* u = out + 4 * i;
                const uint32_t c = u[0] | u[1] << 8 | u[2] << 16 | static_cast<uint32_t>(u[3]) << 24;
                row[kFirstTrail + next + i] = c < 0x10000 ? static_cast<uint16_t>(c) : kNone;
            }
        } else {
            for (std::size_t i = 0; i < run; ++i) alone(next + i);
        }
        next += run;
        // Stopped at a pair it refuses: GBK holds no state, so alone it is refused too.
        if (!whole && used % 2 == 0) ++next;
    }
}

std::unique_ptr<FromGbk> BuildFromGbk() {
    auto t = std::make_unique<FromGbk>();
    t->unicodeOfByte.fill(kNone);
    t->unicodeOfPair.fill(kNone);
    const Descriptor toUtf8("UTF-8", "GBK");
    const Descriptor toUtf32("UTF-32LE", "GBK");
    if (!toUtf8.ok() || !toUtf32.ok()) return t;
    char in[1], out[8];
    std::size_t n = 0;
    for (unsigned byte = 0; byte < 0x100; ++byte) {
        in[0] = static_cast<char>(byte);
        if (Convert(toUtf8.get(), in, 1, out, n)) t->unicodeOfByte[byte] = OneCharacter(out, n);
    }
    for (unsigned lead = kFirstLead; lead <= kLastLead; ++lead) DecodePairsOf(lead, toUtf32.get(), toUtf8.get(), *t);
    return t;
}

const FromGbk& FromGbkTable() {
    static const std::unique_ptr<FromGbk> table = BuildFromGbk();
    return *table;
}

// The decoding table turned round.
std::unique_ptr<ToGbk> BuildToGbk() {
    auto t = std::make_unique<ToGbk>();
    t->gbkOf.fill(kNone);
    const FromGbk& from = FromGbkTable();
    for (unsigned byte = 0; byte < 0x100; ++byte)
        if (const uint16_t c = from.unicodeOfByte[byte]; c != kNone && t->gbkOf[c] == kNone) t->gbkOf[c] = byte;
    for (unsigned lead = kFirstLead; lead <= kLastLead; ++lead)
        for (unsigned trail = kFirstTrail; trail <= kLastTrail; ++trail) {
            const uint16_t c = from.unicodeOfPair[(lead - kFirstLead) * 0x100 + trail];
            if (c != kNone && t->gbkOf[c] == kNone) t->gbkOf[c] = static_cast<uint16_t>(lead << 8 | trail);
        }
    return t;
}

const ToGbk& ToGbkTable() {
    static const std::unique_ptr<ToGbk> table = BuildToGbk();
    return *table;
}

bool IsAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// The code point of the UTF-8 character at s[i] and its length; kNone for an
// invalid, incomplete or overlong sequence and for characters beyond U+FFFF (none
// of which GBK holds).
uint16_t NextUtf8(std::string_view s, std::size_t i, std::size_t& length) {
    const auto b = [&s](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const auto continues = [&](std::size_t k) { return k < s.size() && (b(k) & 0xC0) == 0x80; };
    const unsigned first = b(i);
    if (first < 0x80) {
        length = 1;
        return static_cast<uint16_t>(first);
    }
    if (first >= 0xC2 && first <= 0xDF && continues(i + 1)) {
        length = 2;
        return static_cast<uint16_t>((first & 0x1F) << 6 | (b(i + 1) & 0x3F));
    }
    if ((first & 0xF0) == 0xE0 && continues(i + 1) && continues(i + 2)) {
        const unsigned c = (first & 0x0F) << 12 | (b(i + 1) & 0x3F) << 6 | (b(i + 2) & 0x3F);
        if (c < 0x800) return kNone;  // overlong
        length = 3;
        return static_cast<uint16_t>(c);  // a surrogate finds no GBK counterpart
    }
    return kNone;
}

}  // namespace

bool Utf8ToGbk(std::string_view utf8, std::string& out, std::size_t* consumed) {
    if (IsAscii(utf8)) {
        out.assign(utf8);
        if (consumed) *consumed = utf8.size();
        return true;
    }
    const ToGbk& t = ToGbkTable();
    out.resize(utf8.size());  // a character never takes more bytes in GBK
    std::size_t i = 0, o = 0;
    bool whole = true;
    while (i < utf8.size()) {
        std::size_t length = 0;
        const uint16_t c = NextUtf8(utf8, i, length);
        const uint16_t g = c == kNone ? kNone : t.gbkOf[c];
        if (g == kNone) {
            whole = false;
            break;
        }
        if (g >= 0x100) out[o++] = static_cast<char>(g >> 8);
        out[o++] = static_cast<char>(g & 0xFF);
        i += length;
    }
    out.resize(o);
    if (consumed) *consumed = i;
    return whole;
}

bool GbkToUtf8(std::string_view gbk, std::string& out, std::size_t* consumed) {
    if (IsAscii(gbk)) {
        out.assign(gbk);
        if (consumed) *consumed = gbk.size();
        return true;
    }
    const FromGbk& t = FromGbkTable();
    out.resize(gbk.size() * 3);  // at most three UTF-8 bytes a GBK byte
    std::size_t i = 0;
    char* o = out.data();
    bool whole = true;
    while (i < gbk.size()) {
        const auto byte = static_cast<unsigned char>(gbk[i]);
        uint16_t c = t.unicodeOfByte[byte];
        std::size_t length = 1;
        if (c == kNone && byte >= kFirstLead && byte <= kLastLead && i + 1 < gbk.size()) {
            c = t.unicodeOfPair[(byte - kFirstLead) * 0x100 + static_cast<unsigned char>(gbk[i + 1])];
            length = 2;
        }
        if (c == kNone) {
            whole = false;
            break;
        }
        o = PutUtf8(o, c);
        i += length;
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    if (consumed) *consumed = i;
    return whole;
}

}  // namespace kel::text::codec
