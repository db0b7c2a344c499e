#include "common/net/TlsOptions.h"

namespace kel::net {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<Sha256> ParseFingerprint(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    const bool paired = text.find(':') != std::string_view::npos;
    if (text.size() != (paired ? 32 * 3 - 1 : 64)) return std::nullopt;
    Sha256 digest{};
    for (std::size_t i = 0; i < digest.size(); ++i) {
        const std::size_t at = paired ? 3 * i : 2 * i;
        if (paired && i > 0 && text[at - 1] != ':') return std::nullopt;
        const int high = HexValue(text[at]), low = HexValue(text[at + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        digest[i] = static_cast<unsigned char>(high << 4 | low);
    }
    return digest;
}

std::string FingerprintText(const Sha256& digest) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(digest.size() * 3);
    for (unsigned char byte : digest) {
        if (!text.empty()) text += ':';
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xF];
    }
    return text;
}

}  // namespace kel::net
