// The GBK helpers on any bytes, taken as UTF-8 and as GBK: conversions that succeed
// come back to where they started, lengths agree, fields stay inside their width.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "common/text/GbkText.h"
#include "fuzz/FuzzCheck.h"

using namespace kel::text;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::size_t width = 1 + data[0] % 64;  // a field width, as records have
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    // As UTF-8 text.
    const auto gbk = Utf8ToGbk(bytes);
    FUZZ_CHECK(IsGbkEncodable(bytes) == gbk.has_value());
    FUZZ_CHECK(FirstNonGbkOffset(bytes).has_value() == !gbk.has_value());
    if (const auto at = FirstNonGbkOffset(bytes)) FUZZ_CHECK(*at < bytes.size());
    if (gbk) {
        FUZZ_CHECK(GbkToUtf8(*gbk) == std::string(bytes));
        FUZZ_CHECK(GbkByteLength(bytes) == gbk->size());
        const auto cut = CutToGbkBytes(bytes, width);
        FUZZ_CHECK(cut && bytes.substr(0, cut->size()) == *cut);
        FUZZ_CHECK(Utf8ToGbk(*cut)->size() <= width);
    }
    // A field exactly its width: ASan stops any byte written or read beyond.
    auto field = std::make_unique<char[]>(width);
    const PutResult put = PutField(field.get(), width, bytes);
    FUZZ_CHECK(std::memchr(field.get(), '\0', width) != nullptr);
    if (put == PutResult::Ok) FUZZ_CHECK(GetField(field.get(), width) == std::string(bytes).c_str());
    if (put == PutResult::NotGbk) FUZZ_CHECK(!gbk);

    // As GBK bytes.
    if (const auto utf8 = GbkToUtf8(bytes)) FUZZ_CHECK(Utf8ToGbk(*utf8).has_value());
    const std::size_t safe = GbkSafeCut(bytes, width);
    FUZZ_CHECK(safe <= width && safe <= bytes.size());
    auto raw = std::make_unique<char[]>(width);
    std::memcpy(raw.get(), bytes.data(), std::min(width, bytes.size()));
    (void)GetField(raw.get(), std::min(width, bytes.size()));
    (void)GetRawField(raw.get(), std::min(width, bytes.size()));
    PutRawField(raw.get(), width, bytes);
    FUZZ_CHECK(std::memchr(raw.get(), '\0', width) != nullptr);
    return 0;
}
