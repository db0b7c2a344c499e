// GBK <-> UTF-8 conversion and the fixed-width record text fields.
#include "common/text/GbkText.h"

#include <algorithm>
#include <cstring>

#include "common/text/GbkCodec.h"

namespace kel::text {
namespace {

bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

// Length of the UTF-8 sequence that begins with `b` (1 for anything unexpected;
// only used on text the converter has already accepted as valid UTF-8).
std::size_t Utf8SeqLength(unsigned char b) {
    if (b >= 0xF0) return 4;
    if (b >= 0xE0) return 3;
    if (b >= 0xC0) return 2;
    return 1;
}

}  // namespace

std::optional<std::string> Utf8ToGbk(std::string_view utf8) {
    std::string out;
    if (!codec::Utf8ToGbk(utf8, out)) return std::nullopt;
    return out;
}

std::optional<std::string> GbkToUtf8(std::string_view gbk) {
    std::string out;
    if (!codec::GbkToUtf8(gbk, out)) return std::nullopt;
    return out;
}

bool IsGbkEncodable(std::string_view utf8) { return Utf8ToGbk(utf8).has_value(); }

std::optional<std::size_t> FirstNonGbkOffset(std::string_view utf8) {
    std::string out;
    std::size_t consumed = 0;
    if (codec::Utf8ToGbk(utf8, out, &consumed)) return std::nullopt;
    return consumed;
}

std::optional<std::size_t> GbkByteLength(std::string_view utf8) {
    auto gbk = Utf8ToGbk(utf8);
    if (!gbk) return std::nullopt;
    return gbk->size();
}

std::optional<std::string> CutToGbkBytes(std::string_view utf8, std::size_t maxBytes) {
    auto gbk = Utf8ToGbk(utf8);
    if (!gbk) return std::nullopt;
    // Every character converts to exactly one GBK character, in order, so the UTF-8
    // and GBK texts can be walked side by side.
    std::size_t u = 0, g = 0;
    while (u < utf8.size() && g < gbk->size()) {
        const std::size_t glen = IsLeadByte(static_cast<unsigned char>((*gbk)[g])) ? 2 : 1;
        if (g + glen > maxBytes) break;
        g += glen;
        u += Utf8SeqLength(static_cast<unsigned char>(utf8[u]));
    }
    return std::string(utf8.substr(0, u));
}

std::size_t GbkSafeCut(std::string_view gbk, std::size_t maxBytes) {
    const std::size_t limit = std::min(maxBytes, gbk.size());
    std::size_t i = 0;
    while (i < limit) {
        const std::size_t len = IsLeadByte(static_cast<unsigned char>(gbk[i])) ? 2 : 1;
        if (i + len > limit) break;  // would split a character (or it is incomplete)
        i += len;
    }
    return i;
}

void PutRawField(char* field, std::size_t width, std::string_view gbk) {
    if (width == 0) return;
    const std::size_t nul = gbk.find('\0');
    if (nul != std::string_view::npos) gbk = gbk.substr(0, nul);
    const std::size_t n = GbkSafeCut(gbk, width - 1);
    std::memcpy(field, gbk.data(), n);
    std::memset(field + n, 0, width - n);
}

PutResult PutField(char* field, std::size_t width, std::string_view utf8) {
    thread_local std::string gbk;  // answers fill fields by the thousand: no allocation each
    if (!codec::Utf8ToGbk(utf8, gbk)) {
        if (width > 0) std::memset(field, 0, width);
        return PutResult::NotGbk;
    }
    // A NUL inside the text would end the field there when read back.
    const std::size_t nul = gbk.find('\0');
    const std::size_t wanted = nul == std::string::npos ? gbk.size() : nul;
    // Whole characters up to the NUL (no trail byte is 0): cut only when longer than the field.
    const std::size_t stored = width == 0            ? 0
                               : wanted <= width - 1 ? wanted
                                                     : GbkSafeCut(std::string_view(gbk).substr(0, wanted), width - 1);
    if (width > 0) {
        std::memcpy(field, gbk.data(), stored);
        std::memset(field + stored, 0, width - stored);
    }
    return (stored == gbk.size()) ? PutResult::Ok : PutResult::Truncated;
}

std::string GetRawField(const char* field, std::size_t width) { return std::string(field, strnlen(field, width)); }

std::string GetField(const char* field, std::size_t width) {
    std::string out;
    codec::GbkToUtf8(GetRawField(field, width), out);  // stops at the first invalid byte
    return out;
}

}  // namespace kel::text
